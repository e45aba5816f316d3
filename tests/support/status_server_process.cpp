#include "tests/support/status_server_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <stdexcept>

namespace vqtest {
namespace {

constexpr int kStartLimitMs = 10000;
constexpr int kStopLimitMs = 10000;
constexpr const char* kReadyPrefix = "listening on ";

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error("status server: " + what); }

struct Pipe {
  int read = -1;
  int write = -1;
};

Pipe MakePipe() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) Fail("pipe");
  return {fds[0], fds[1]};
}

// Starts the program with standard input from /dev/null and standard
// output (and error, when errorFd is not -1) on the given descriptors.
int Spawn(const std::string& program, const std::vector<std::string>& arguments, int outputFd, int errorFd) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
  if (errorFd >= 0) posix_spawn_file_actions_adddup2(&actions, errorFd, 2);
  pid_t pid = -1;
  const int failure = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failure != 0) Fail("cannot start " + program + ": error " + std::to_string(failure));
  return pid;
}

ExitStatus DecodeWaitStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

ExitStatus Reap(int pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return DecodeWaitStatus(status);
}

// Waits up to limitMs for the child to end, without reaping it. Where the
// kernel offers no process descriptors, waits without a limit.
bool AwaitExit(int pid, int limitMs) {
  const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidFd < 0) return true;  // Reap() will block until it ends
  pollfd item{pidFd, POLLIN, 0};
  int ready;
  do {
    ready = poll(&item, 1, limitMs);
  } while (ready < 0 && errno == EINTR);
  close(pidFd);
  return ready > 0;
}

// Reads everything from both descriptors until both reach end of file.
void DrainBoth(int outputFd, int errorFd, std::string& output, std::string& errors) {
  pollfd items[2] = {{outputFd, POLLIN, 0}, {errorFd, POLLIN, 0}};
  std::string* sinks[2] = {&output, &errors};
  int open = 2;
  while (open > 0) {
    if (poll(items, 2, -1) < 0) {
      if (errno == EINTR) continue;
      Fail("poll");
    }
    for (int i = 0; i < 2; ++i) {
      if (items[i].fd < 0 || items[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t count = read(items[i].fd, buffer, sizeof buffer);
      if (count > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(count));
      } else if (count == 0 || errno != EINTR) {
        items[i].fd = -1;  // poll() skips negative descriptors
        --open;
      }
    }
  }
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  return RunProgram(program, arguments, [](int) {});
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::function<void(int)>& whileRunning) {
  Pipe output = MakePipe();
  Pipe errors = MakePipe();
  int pid = -1;
  try {
    pid = Spawn(program, arguments, output.write, errors.write);
  } catch (...) {
    for (int fd : {output.read, output.write, errors.read, errors.write}) close(fd);
    throw;
  }
  close(output.write);
  close(errors.write);
  whileRunning(pid);
  ProgramRun run;
  DrainBoth(output.read, errors.read, run.output, run.errors);
  close(output.read);
  close(errors.read);
  run.exitStatus = Reap(pid);
  return run;
}

std::string DistinctLoopbackAddress() {
  static unsigned counter = 0;
  const unsigned long n = static_cast<unsigned long>(getpid()) * 8 + (counter++ % 8);
  const unsigned long rest = n / 254;
  // 127.A.B.C with A in 1..254 and C in 1..254: never 127.0.0.1, never a
  // network or broadcast address.
  return "127." + std::to_string(1 + (rest / 256) % 254) + "." + std::to_string(rest % 256) + "." +
         std::to_string(1 + n % 254);
}

StatusServerProcess::StatusServerProcess(const std::string& program, const std::vector<std::string>& arguments) {
  Pipe output = MakePipe();
  try {
    m_pid = Spawn(program, arguments, output.write, -1);
  } catch (...) {
    close(output.read);
    close(output.write);
    throw;
  }
  close(output.write);
  m_outputFd = output.read;

  const std::optional<std::string> line = ReadLine(kStartLimitMs);
  in_addr parsed{};
  const std::size_t colon = line ? line->rfind(':') : std::string::npos;
  if (!line || !line->starts_with(kReadyPrefix) || colon == std::string::npos) {
    KillAndReap();
    close(m_outputFd);
    Fail("no ready line from " + program + " (got \"" + line.value_or("") + "\", exit status " +
         std::to_string(m_exitStatus.value_or(-1)) + ")");
  }
  m_addressText = line->substr(std::string(kReadyPrefix).size(), colon - std::string(kReadyPrefix).size());
  m_port = static_cast<std::uint16_t>(std::stoi(line->substr(colon + 1)));
  inet_pton(AF_INET, m_addressText.c_str(), &parsed);
  m_address = parsed.s_addr;
}

StatusServerProcess::~StatusServerProcess() {
  Stop();
  close(m_outputFd);
}

std::optional<std::string> StatusServerProcess::ReadLine(int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (const std::size_t end = m_pending.find('\n'); end != std::string::npos) {
      std::string line = m_pending.substr(0, end);
      m_pending.erase(0, end + 1);
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd item{m_outputFd, POLLIN, 0};
    const int ready = poll(&item, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    char buffer[4096];
    const ssize_t count = read(m_outputFd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return std::nullopt;
    m_pending.append(buffer, static_cast<std::size_t>(count));
  }
}

std::optional<ExitStatus> StatusServerProcess::WaitForExit(int limitMs) {
  if (!m_exitStatus && AwaitExit(m_pid, limitMs)) m_exitStatus = Reap(m_pid);
  return m_exitStatus;
}

ExitStatus StatusServerProcess::Stop() {
  if (m_exitStatus) return *m_exitStatus;
  kill(m_pid, SIGTERM);
  if (!WaitForExit(kStopLimitMs)) KillAndReap();
  return *m_exitStatus;
}

void StatusServerProcess::KillAndReap() {
  kill(m_pid, SIGKILL);
  m_exitStatus = Reap(m_pid);
}

}  // namespace vqtest
