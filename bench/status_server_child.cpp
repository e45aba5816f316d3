#include "bench/status_server_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace bench {
namespace {

constexpr const char* kReadyPrefix = "listening on ";
constexpr int kReadyLimitMs = 10000;

// Reads the first line the server prints, waiting at most kReadyLimitMs.
std::string ReadFirstLine(int fd) {
  std::string line;
  char c = 0;
  while (line.size() < 256) {
    pollfd waiting{fd, POLLIN, 0};
    if (::poll(&waiting, 1, kReadyLimitMs) <= 0 || ::read(fd, &c, 1) != 1 || c == '\n') break;
    line += c;
  }
  return line;
}

}  // namespace

StatusServerChild::StatusServerChild(const std::string& program, const std::vector<std::string>& arguments) {
  int output[2];
  if (::pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& word : arguments) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  m_pid = ::fork();
  if (m_pid == 0) {
    ::dup2(output[1], STDOUT_FILENO);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(output[1]);
  m_outputFd = output[0];
  const std::string line = m_pid > 0 ? ReadFirstLine(m_outputFd) : std::string();
  if (line.rfind(kReadyPrefix, 0) != 0) {
    Stop();
    throw std::runtime_error("the status server " + program + " did not get ready");
  }
  m_endpoint = line.substr(std::strlen(kReadyPrefix));
}

StatusServerChild::~StatusServerChild() { Stop(); }

void StatusServerChild::Stop() {
  if (m_pid > 0) {
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }
  if (m_outputFd >= 0) ::close(m_outputFd);
  m_outputFd = -1;
}

}  // namespace bench
