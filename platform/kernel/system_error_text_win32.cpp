#include "platform/kernel/system_error_text.h"

namespace kernel {

std::string SystemErrorText(DWORD error) {
  char* text = nullptr;
  const DWORD length =
      ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string result(text != nullptr ? text : "", text != nullptr ? length : 0);
  ::LocalFree(text);
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == '.' || result.back() == ' ')) {
    result.pop_back();
  }
  return result;
}

}  // namespace kernel
