#include "app/console_output.h"

#include <algorithm>
#include <string>

#include "platform/kernel/system_error_text.h"
#include "platform/kernel/windef.h"

namespace console {
namespace {

bool g_outputMissing = false;

bool IsHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// A console takes the text as UTF-16, so that UTF-8 shows right whatever
// its code page; a sequence that is no UTF-8 shows as U+FFFD.
bool WriteToConsole(HANDLE console, std::string_view text) {
  const int size = static_cast<int>(text.size());
  const int wide = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring converted(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, converted.data(), wide);
  std::wstring_view left = converted;
  while (!left.empty()) {
    DWORD written = 0;
    if (!::WriteConsoleW(console, left.data(), static_cast<DWORD>(left.size()), &written, nullptr) || written == 0) {
      return false;
    }
    left.remove_prefix(written);
  }
  return true;
}

// A file or a pipe gets the bytes as they are (UTF-8).
bool WriteAll(HANDLE handle, std::string_view text) {
  if (!IsHandle(handle)) return false;
  DWORD mode = 0;
  if (!text.empty() && ::GetConsoleMode(handle, &mode)) return WriteToConsole(handle, text);
  constexpr std::size_t kLargestWrite = 1 << 20;
  while (!text.empty()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min(text.size(), kLargestWrite));
    if (!::WriteFile(handle, text.data(), chunk, &written, nullptr) || written == 0) return false;
    text.remove_prefix(written);
  }
  return true;
}

}  // namespace

void ProtectStandardDescriptors() { g_outputMissing = !IsHandle(::GetStdHandle(STD_OUTPUT_HANDLE)); }

bool OutputClosedAtStart() { return g_outputMissing; }

void CloseWhatWasClosed() {}

int WriteToOutput(std::string_view text) {
  if (g_outputMissing) return ERROR_INVALID_HANDLE;
  if (WriteAll(::GetStdHandle(STD_OUTPUT_HANDLE), text)) return 0;
  const DWORD error = ::GetLastError();
  return error != 0 ? static_cast<int>(error) : ERROR_WRITE_FAULT;
}

void WriteToError(std::string_view text) { (void)WriteAll(::GetStdHandle(STD_ERROR_HANDLE), text); }

std::string OutputErrorText(int error) {
  const std::string text = kernel::SystemErrorText(static_cast<DWORD>(error));
  return text.empty() ? "error " + std::to_string(error) : text;
}

std::string_view PathSeparators() { return "/\\"; }

}  // namespace console
