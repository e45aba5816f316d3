#include "app/console_input.h"

#include <string>

#include "platform/kernel/windef.h"

namespace console {
namespace {

HANDLE HandleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

std::wstring Wide(const std::string& utf8) {
  const int size = static_cast<int>(utf8.size());
  const int wide = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring converted(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, converted.data(), wide);
  return converted;
}

}  // namespace

CInputFile::CInputFile(const std::string& path) {
  if (path == "-") {
    m_handle = reinterpret_cast<std::intptr_t>(::GetStdHandle(STD_INPUT_HANDLE));
    if (HandleOf(m_handle) == nullptr || HandleOf(m_handle) == INVALID_HANDLE_VALUE) m_openError = ERROR_INVALID_HANDLE;
    return;
  }
  const HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  m_openError = file == INVALID_HANDLE_VALUE ? static_cast<int>(::GetLastError()) : 0;
  m_handle = reinterpret_cast<std::intptr_t>(file);
  m_owned = file != INVALID_HANDLE_VALUE;
}

CInputFile::~CInputFile() {
  if (m_owned) ::CloseHandle(HandleOf(m_handle));
}

long long CInputFile::Read(char* buffer, std::size_t size, int& error) {
  constexpr std::size_t kLargestRead = 1 << 20;
  DWORD got = 0;
  const auto wanted = static_cast<DWORD>(size < kLargestRead ? size : kLargestRead);
  if (::ReadFile(HandleOf(m_handle), buffer, wanted, &got, nullptr)) return got;
  const DWORD failure = ::GetLastError();
  if (failure == ERROR_BROKEN_PIPE) return 0;  // the writer of a pipe is done
  error = static_cast<int>(failure);
  return -1;
}

}  // namespace console
