#include "tests/support/host_process_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <stdexcept>

#include "platform/kernel/command_line.h"
#include "tests/support/status_server_process.h"

// The host programs' Unix paths come from the build, for the test programs
// that use them (tests/win32/CMakeLists.txt).
namespace vqtest {
namespace {

constexpr int kConnectLimitMs = 10000;
constexpr int kStopLimitMs = 10000;
constexpr int kProbeWaitMs = 5000;
constexpr const char* kExitedPrefix = "exited ";

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("host program: " + what + " (error " + std::to_string(WSAGetLastError()) + ")");
}

sockaddr_in Loopback(const std::string& address, std::uint16_t port) {
  sockaddr_in endpoint{};
  endpoint.sin_family = AF_INET;
  endpoint.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &endpoint.sin_addr);
  return endpoint;
}

// A socket bound to address:port, with the port the system gave it.
SOCKET Bound(int type, const std::string& address, std::uint16_t& port) {
  const SOCKET s = socket(AF_INET, type, 0);
  sockaddr_in local = Loopback(address, port);
  int length = sizeof local;
  if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    if (s != INVALID_SOCKET) closesocket(s);
    Fail("cannot bind " + address);
  }
  port = ntohs(local.sin_port);
  return s;
}

bool Readable(SOCKET s, int timeoutMs) {
  WSAPOLLFD item{s, POLLRDNORM, 0};
  return WSAPoll(&item, 1, timeoutMs) > 0;
}

// Whether a datagram from a socket bound to another loopback address
// arrives from that address.
bool ProbeLoopbackSources() {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  std::uint16_t receiverPort = 0;
  std::uint16_t senderPort = 0;
  const std::string senderAddress = DistinctLoopbackAddress();
  const SOCKET receiver = Bound(SOCK_DGRAM, "127.0.0.1", receiverPort);
  const SOCKET sender = Bound(SOCK_DGRAM, senderAddress, senderPort);
  const sockaddr_in target = Loopback("127.0.0.1", receiverPort);
  sendto(sender, "probe", 5, 0, reinterpret_cast<const sockaddr*>(&target), sizeof target);
  sockaddr_in from{};
  int length = sizeof from;
  char buffer[16];
  const bool kept = Readable(receiver, kProbeWaitMs) &&
                    recvfrom(receiver, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length) > 0 &&
                    from.sin_addr.s_addr == Loopback(senderAddress, 0).sin_addr.s_addr;
  closesocket(sender);
  closesocket(receiver);
  WSACleanup();
  return kept;
}

std::string CommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments)
    line.append(line.empty() ? "" : " ").append(kernel::QuotedArgument(argument));
  return line;
}

// Wine runs a Unix program given as a path on its drive Z: (the Unix root)
// as a Unix process: CreateProcess succeeds without a process handle.
void StartUnixProgram(std::vector<std::string> arguments) {
  std::string commandLine = CommandLine(arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA("Z:\\bin\\bash", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    Fail("cannot start bash");
  }
  // Wine leaves the rest of `process` undefined then: closing its thread
  // handle would close a handle of ours.
  if (process.hProcess != nullptr) {
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
}

// A Unix path seen through drive Z:, which Wine maps to the Unix root.
bool HostFileExists(const std::string& path) {
  std::string windowsPath = "Z:" + path;
  for (char& c : windowsPath) c = c == '/' ? '\\' : c;
  return GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

const char* HostStatusServer() {
#ifdef VQ_HOST_STATUS_SERVER
  return VQ_HOST_STATUS_SERVER;
#else
  return nullptr;
#endif
}

const char* HostUdpPeer() {
#ifdef VQ_HOST_UDP_PEER
  return VQ_HOST_UDP_PEER;
#else
  return nullptr;
#endif
}

bool NeedsHostStandIn(const char* program, const std::string& address) {
  static const bool kept = ProbeLoopbackSources();
  return program != nullptr && address != "127.0.0.1" && !kept && HostFileExists(program);
}

HostProcess::HostProcess(const std::string& program, const std::vector<std::string>& arguments) {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) Fail("WSAStartup");
  std::uint16_t port = 0;
  const SOCKET listener = Bound(SOCK_STREAM, "127.0.0.1", port);
  if (listen(listener, 1) != 0) {
    closesocket(listener);
    Fail("listen");
  }
  std::vector<std::string> command = {"bash", VQ_RUN_OVER_CONNECTION, std::to_string(port), program};
  command.insert(command.end(), arguments.begin(), arguments.end());
  try {
    StartUnixProgram(command);
  } catch (...) {
    closesocket(listener);
    throw;
  }
  const SOCKET connection = Readable(listener, kConnectLimitMs) ? accept(listener, nullptr, nullptr) : INVALID_SOCKET;
  closesocket(listener);
  if (connection == INVALID_SOCKET) Fail(program + " did not connect");
  m_socket = connection;
}

HostProcess::~HostProcess() {
  Stop();
  closesocket(m_socket);
  WSACleanup();
}

void HostProcess::WriteLine(const std::string& line) {
  const std::string bytes = line + "\n";
  for (std::size_t sent = 0; sent < bytes.size();) {
    const int count = send(m_socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (count <= 0) Fail("send");
    sent += static_cast<std::size_t>(count);
  }
}

std::optional<std::string> HostProcess::ReadLine(int timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  std::size_t end = 0;
  while ((end = m_pending.find('\n')) == std::string::npos) {
    const ULONGLONG now = GetTickCount64();
    char buffer[4096];
    const int count = now < deadline && Readable(m_socket, static_cast<int>(deadline - now))
                          ? recv(m_socket, buffer, sizeof buffer, 0)
                          : 0;
    if (count <= 0) return std::nullopt;
    m_pending.append(buffer, static_cast<std::size_t>(count));
  }
  std::string line = m_pending.substr(0, end);
  m_pending.erase(0, end + 1);
  return line;
}

int HostProcess::Stop() {
  if (m_exitStatus) return *m_exitStatus;
  shutdown(m_socket, SD_SEND);
  m_exitStatus = -1;
  while (const std::optional<std::string> line = ReadLine(kStopLimitMs)) {
    if (line->starts_with(kExitedPrefix)) m_exitStatus = std::stoi(line->substr(std::string(kExitedPrefix).size()));
  }
  return *m_exitStatus;
}

}  // namespace vqtest
