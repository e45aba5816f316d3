#include "tools/status_server/program_arguments.h"

namespace status_server {

// POSIX arguments are bytes as given; the messages name the program as it
// was called, as other command-line tools do.
ProgramArguments::ProgramArguments(int argc, char** argv) {
  for (int i = 0; i < argc && argv[i] != nullptr; ++i) m_texts.emplace_back(argv[i]);
  for (std::string& text : m_texts) m_pointers.push_back(text.data());
  m_pointers.push_back(nullptr);
  m_name = m_texts.empty() || m_texts.front().empty() ? "quillmar-status-server" : m_texts.front();
}

}  // namespace status_server
