#include "tests/support/status_server_process.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "platform/kernel/command_line.h"
#include "tests/support/host_process_win32.h"

// The same services on Windows: the program is started with CreateProcess,
// and its output read by a thread of the object's own. Windows has no
// SIGTERM for a console program in another console, so Stop ends it with
// TerminateProcess. A server bound to a loopback address that Wine's
// sockets cannot send from is the host's build of it instead; it ends only
// when stopped.
namespace vqtest {
namespace {

constexpr int kStartLimitMs = 10000;
constexpr int kStopLimitMs = 10000;
constexpr const char* kReadyPrefix = "listening on ";

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("status server: " + what + " (error " + std::to_string(GetLastError()) + ")");
}

// A path of the build tree, which is a Unix path under Wine: its drive Z:
// is the Unix root.
std::string WindowsPath(const std::string& path) {
  std::string converted = path.starts_with('/') ? "Z:" + path : path;
  for (char& c : converted) c = c == '/' ? '\\' : c;
  return converted;
}

struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

// The reading end stays with this process; the writing end is inherited.
Pipe MakePipe() {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  Pipe pipe;
  if (!CreatePipe(&pipe.read, &pipe.write, &inherit, 0)) Fail("pipe");
  SetHandleInformation(pipe.read, HANDLE_FLAG_INHERIT, 0);
  return pipe;
}

PROCESS_INFORMATION Spawn(const std::string& program, const std::vector<std::string>& arguments, HANDLE output,
                          HANDLE errors) {
  const std::string path = WindowsPath(program);
  std::string commandLine = kernel::QuotedArgument(path);
  for (const std::string& argument : arguments) commandLine.append(" ").append(kernel::QuotedArgument(argument));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output;
  startup.hStdError = errors != nullptr ? errors : GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    Fail("cannot start " + path);
  }
  CloseHandle(process.hThread);
  return process;
}

ExitStatus ExitCodeOf(HANDLE process) {
  DWORD code = 0;
  return GetExitCodeProcess(process, &code) ? static_cast<ExitStatus>(code) : -1;
}

std::string ReadAll(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD count = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) && count > 0) text.append(buffer, count);
  return text;
}

// The server's output as it comes, read by a thread of its own.
struct OutputReader {
  std::mutex mutex;
  std::condition_variable arrived;
  std::string text;
  bool ended = false;
  std::thread thread;

  explicit OutputReader(HANDLE pipe) : thread([this, pipe] { Read(pipe); }) {}
  void Read(HANDLE pipe) {
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) && count > 0) {
      const std::lock_guard lock(mutex);
      text.append(buffer, count);
      arrived.notify_all();
    }
    const std::lock_guard lock(mutex);
    ended = true;
    arrived.notify_all();
  }
};

OutputReader& ReaderOf(void* reader) { return *static_cast<OutputReader*>(reader); }

// A server started here, with the reading end of its output.
struct Started {
  PROCESS_INFORMATION process{};
  HANDLE output = nullptr;
};

Started StartHere(const std::string& program, const std::vector<std::string>& arguments) {
  Pipe output = MakePipe();
  Started started;
  try {
    started.process = Spawn(program, arguments, output.write, nullptr);
  } catch (...) {
    CloseHandle(output.read);
    CloseHandle(output.write);
    throw;
  }
  CloseHandle(output.write);
  started.output = output.read;
  return started;
}

HostProcess& HostOf(void* host) { return *static_cast<HostProcess*>(host); }

// The address the server is told to bind (its own default: 127.0.0.1).
std::string BindAddressOf(const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--bind" && i + 1 < arguments.size()) return arguments[i + 1];
    if (arguments[i].starts_with("--bind=")) return arguments[i].substr(std::string("--bind=").size());
  }
  return "127.0.0.1";
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  return RunProgram(program, arguments, [](int) {});
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::function<void(int)>& whileRunning) {
  Pipe output = MakePipe();
  Pipe errors = MakePipe();
  const PROCESS_INFORMATION process = Spawn(program, arguments, output.write, errors.write);
  CloseHandle(output.write);
  CloseHandle(errors.write);
  whileRunning(static_cast<int>(process.dwProcessId));
  ProgramRun run;
  std::thread errorReader([&run, &errors] { run.errors = ReadAll(errors.read); });
  run.output = ReadAll(output.read);
  errorReader.join();
  WaitForSingleObject(process.hProcess, INFINITE);
  run.exitStatus = ExitCodeOf(process.hProcess);
  CloseHandle(process.hProcess);
  CloseHandle(output.read);
  CloseHandle(errors.read);
  return run;
}

std::string DistinctLoopbackAddress() {
  static unsigned counter = 0;
  const unsigned long n = static_cast<unsigned long>(GetCurrentProcessId()) * 8 + (counter++ % 8);
  const unsigned long rest = n / 254;
  return "127." + std::to_string(1 + (rest / 256) % 254) + "." + std::to_string(rest % 256) + "." +
         std::to_string(1 + n % 254);
}

StatusServerProcess::StatusServerProcess(const std::string& program, const std::vector<std::string>& arguments) {
  if (NeedsHostStandIn(HostStatusServer(), BindAddressOf(arguments))) {
    m_host = new HostProcess(HostStatusServer(), arguments);
  } else {
    const Started started = StartHere(program, arguments);
    m_pid = static_cast<int>(started.process.dwProcessId);
    m_process = started.process.hProcess;
    m_outputFd = static_cast<int>(reinterpret_cast<std::intptr_t>(started.output));
    m_reader = new OutputReader(started.output);
  }
  const std::optional<std::string> line = ReadLine(kStartLimitMs);
  const std::size_t colon = line ? line->rfind(':') : std::string::npos;
  if (!line || !line->starts_with(kReadyPrefix) || colon == std::string::npos) {
    KillAndReap();
    ReleaseReader();
    Fail("no ready line from " + program + " (got \"" + line.value_or("") + "\")");
  }
  m_addressText = line->substr(std::string(kReadyPrefix).size(), colon - std::string(kReadyPrefix).size());
  m_port = static_cast<std::uint16_t>(std::stoi(line->substr(colon + 1)));
  in_addr parsed{};
  inet_pton(AF_INET, m_addressText.c_str(), &parsed);
  m_address = parsed.s_addr;
}

StatusServerProcess::~StatusServerProcess() {
  Stop();
  ReleaseReader();
}

// After the process has ended, which ends its output.
void StatusServerProcess::ReleaseReader() {
  if (m_host != nullptr) {
    delete &HostOf(m_host);
    m_host = nullptr;
    return;
  }
  auto* reader = static_cast<OutputReader*>(m_reader);
  reader->thread.join();
  delete reader;
  CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(m_outputFd)));
  CloseHandle(m_process);
}

std::optional<std::string> StatusServerProcess::ReadLine(int timeoutMs) {
  if (m_host != nullptr) return HostOf(m_host).ReadLine(timeoutMs);
  OutputReader& reader = ReaderOf(m_reader);
  std::unique_lock lock(reader.mutex);
  const auto hasLine = [&reader] { return reader.text.find('\n') != std::string::npos || reader.ended; };
  reader.arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), hasLine);
  const std::size_t end = reader.text.find('\n');
  if (end == std::string::npos) return std::nullopt;
  std::string line = reader.text.substr(0, end);
  reader.text.erase(0, end + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<ExitStatus> StatusServerProcess::WaitForExit(int limitMs) {
  if (!m_exitStatus && m_host == nullptr &&
      WaitForSingleObject(m_process, static_cast<DWORD>(limitMs)) == WAIT_OBJECT_0) {
    m_exitStatus = ExitCodeOf(m_process);
  }
  return m_exitStatus;
}

ExitStatus StatusServerProcess::Stop() {
  if (m_exitStatus) return *m_exitStatus;
  KillAndReap();
  return *m_exitStatus;
}

void StatusServerProcess::KillAndReap() {
  if (m_host != nullptr) {
    m_exitStatus = HostOf(m_host).Stop();
    return;
  }
  TerminateProcess(m_process, 1);
  if (!WaitForExit(kStopLimitMs)) m_exitStatus = -1;
}

}  // namespace vqtest
