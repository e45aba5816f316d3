#include "platform/kernel/system_error_text.h"

#include "platform/kernel/wide_text.h"

namespace kernel {

std::string SystemErrorText(DWORD error) {
  // Wide, then UTF-8 like every text of the program: a translated system
  // names errors in letters its ANSI code page may not have.
  wchar_t* text = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string result = text != nullptr ? Utf8FromWide(std::wstring_view(text, length)) : std::string();
  ::LocalFree(text);
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == '.' || result.back() == ' ')) {
    result.pop_back();
  }
  return result;
}

}  // namespace kernel
