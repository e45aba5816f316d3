#include "platform/kernel/stop_signals.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>

namespace kernel {
namespace {

std::atomic<int> g_caught{0};
static_assert(std::atomic<int>::is_always_lock_free, "read and written in a signal handler");

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Read by the handler: the length is set after the bytes, and to 0 before
// they change.
char g_lastWords[64];
std::atomic<std::size_t> g_lastWordsLength{0};

void Default(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

void OnStopSignal(int signal) {
  int none = 0;
  if (g_caught.compare_exchange_strong(none, signal)) return;
  const std::size_t length = g_lastWordsLength.load();
  if (length != 0) {
    [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, g_lastWords, length);  // nothing to do if not
  }
  Default(signal);  // the second: delivered again, unblocked, when this handler returns
  raise(signal);
}

}  // namespace

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = &OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
  action.sa_flags = 0;  // no SA_RESTART: a wait in progress on the receiving thread returns at once
  for (const int signal : kStopSignals) {
    struct sigaction was {};
    sigaction(signal, nullptr, &was);
    // A signal ignored by whoever started us (a job in the background) stays ignored.
    if (was.sa_handler != SIG_IGN) sigaction(signal, &action, nullptr);
  }
}

int CaughtStopSignal() { return g_caught.load(); }

void SetWordsOnAbruptStop(std::string_view text) {
  g_lastWordsLength.store(0);
  const std::size_t length = std::min(text.size(), sizeof g_lastWords - 1);
  std::copy_n(text.data(), length, g_lastWords);
  g_lastWordsLength.store(length);
}

void EndByCaughtSignal() {
  const int signal = g_caught.load();
  if (signal == 0) return;
  Default(signal);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  _exit(128 + signal);  // not reached: the signal ends the process
}

}  // namespace kernel
