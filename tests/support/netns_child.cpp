#include "tests/support/netns_child.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>

namespace netns {
namespace {

constexpr int kExitPassed = 0;
constexpr int kExitFailed = 1;
constexpr int kExitSkipped = 77;

int g_reportFd = -1;  // the child's end of the pipe to its parent

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

std::string ReadAll(int fd) {
  std::string text;
  char chunk[256];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return text;
    text.append(chunk, static_cast<std::size_t>(n));
  }
}

[[noreturn]] void EndChild(int code) {
  std::fflush(stdout);
  std::fflush(stderr);
  ::_exit(code);  // no static destructors, no gtest teardown in the child
}

ChildOutcome Decode(int status, std::string report) {
  if (WIFSIGNALED(status)) {
    const int sig = WTERMSIG(status);
    return {ChildOutcome::Kind::Failed, std::string("child killed by signal ") + std::to_string(sig) +
                                            (sig == SIGALRM ? " (time limit reached)" : "")};
  }
  switch (WEXITSTATUS(status)) {
    case kExitPassed: return {ChildOutcome::Kind::Passed, {}};
    case kExitSkipped: return {ChildOutcome::Kind::Skipped, std::move(report)};
    default:
      return {ChildOutcome::Kind::Failed,
              report.empty() ? "child failed; see its failure messages above" : std::move(report)};
  }
}

}  // namespace

ChildOutcome RunInChild(const std::function<void()>& body, unsigned timeLimitSeconds) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {ChildOutcome::Kind::Failed, "cannot create a pipe"};
  std::fflush(stdout);  // so buffered output is not printed twice
  std::fflush(stderr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return {ChildOutcome::Kind::Failed, "cannot fork"};
  }
  if (pid == 0) {
    ::close(pipeFds[0]);
    g_reportFd = pipeFds[1];
    ::alarm(timeLimitSeconds);
    try {
      body();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "exception in child: " << e.what();
      WriteAll(g_reportFd, std::string("exception in child: ") + e.what());
    } catch (...) {
      ADD_FAILURE() << "unknown exception in child";
    }
    EndChild(::testing::Test::HasFailure() ? kExitFailed : kExitPassed);
  }
  ::close(pipeFds[1]);
  const std::string report = ReadAll(pipeFds[0]);
  ::close(pipeFds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return {ChildOutcome::Kind::Failed, "cannot wait for the child"};
  }
  return Decode(status, report);
}

void SkipChild(const std::string& reason) {
  if (g_reportFd >= 0) WriteAll(g_reportFd, reason);
  EndChild(kExitSkipped);
}

}  // namespace netns
