#pragma once
#include <string>
#include <vector>

namespace kernel {
// One argument of a command line for CreateProcess, as the C runtime reads
// it back: in quotes, with the backslashes before a quote doubled.
std::string QuotedArgument(const std::string& argument);

// The program's arguments in UTF-8, read from the system's wide command
// line: the C runtime's argv holds them in the ANSI code page, where a name
// beyond it is lost. Falls back to that argv when the line cannot be read.
class Utf8Arguments {
 public:
  Utf8Arguments(int argc, char** argv);
  Utf8Arguments(const Utf8Arguments&) = delete;
  Utf8Arguments& operator=(const Utf8Arguments&) = delete;

  int Count() const { return static_cast<int>(m_texts.size()); }
  // Null-terminated, as main's argv is; valid while this object lives.
  char** Values() { return m_pointers.data(); }

 private:
  std::vector<std::string> m_texts;
  std::vector<char*> m_pointers;
};
}  // namespace kernel
