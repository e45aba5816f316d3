#include <winsock2.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string_view>

#include "tools/status_server/program_arguments.h"

namespace status_server {
namespace {

std::string Utf8FromWide(const wchar_t* text) {
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return "";
  std::string utf8(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
  utf8.pop_back();  // the terminating zero
  return utf8;
}

// A program started by its full path would print that path before every
// message: its file name alone says which program speaks.
std::string FileName(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/:");
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

}  // namespace

ProgramArguments::ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide != nullptr) {
    for (int i = 0; i < count; ++i) m_texts.push_back(Utf8FromWide(wide[i]));
    ::LocalFree(static_cast<HLOCAL>(wide));
  } else {
    for (int i = 0; i < argc && argv[i] != nullptr; ++i) m_texts.emplace_back(argv[i]);
  }
  for (std::string& text : m_texts) m_pointers.push_back(text.data());
  m_pointers.push_back(nullptr);
  m_name = m_texts.empty() ? "" : FileName(m_texts.front());
  if (m_name.empty()) m_name = "quillmar-status-server.exe";
}

}  // namespace status_server
