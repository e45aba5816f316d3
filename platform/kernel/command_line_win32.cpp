#include "platform/kernel/command_line.h"

#include "platform/kernel/wide_text.h"
#include "platform/kernel/windef.h"
// After windows.h, which it needs.
#include <shellapi.h>

namespace kernel {

std::string QuotedArgument(const std::string& argument) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

}  // namespace kernel

namespace kernel {

Utf8Arguments::Utf8Arguments(int argc, char** argv) {
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
}

}  // namespace kernel
