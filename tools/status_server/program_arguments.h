#pragma once
#include <string>
#include <vector>

namespace status_server {

// The command line as UTF-8 texts, and the name the program gives itself
// in its messages. On Windows the C runtime's argv holds the arguments in
// the ANSI code page, which loses most letters; there they are read from
// the wide command line instead.
class ProgramArguments {
 public:
  ProgramArguments(int argc, char** argv);
  ProgramArguments(const ProgramArguments&) = delete;
  ProgramArguments& operator=(const ProgramArguments&) = delete;

  int Count() const { return static_cast<int>(m_texts.size()); }
  char** Values() { return m_pointers.data(); }  // Count() texts, then nullptr
  const std::string& Name() const { return m_name; }

 private:
  std::vector<std::string> m_texts;
  std::vector<char*> m_pointers;
  std::string m_name;
};

}  // namespace status_server
