// The stand-in status server on Windows: arguments beyond the ANSI code page
// reach the client intact, its messages name the program rather than its
// path, and its help asks it with the program's own console client.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/status_reply.h"
#include "protocol/status_request.h"
#include "tests/support/status_server_process.h"
#include "tests/support/udp_peer.h"

namespace {

constexpr const char* kProgram = "quillmar-status-server.exe";

// The build tree's path is a Unix one under Wine, whose drive Z: is the root.
std::wstring ServerPath() {
  const std::string path = VQ_STATUS_SERVER;
  std::wstring wide = path.starts_with('/') ? L"Z:" : L"";
  for (const char c : path) wide += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return wide;
}

// The server started through the wide command line, as a console starts
// it with what a user typed; stopped with TerminateProcess.
class WideCommandLineServer {
 public:
  explicit WideCommandLineServer(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE write = nullptr;
    if (!CreatePipe(&m_output, &write, &inherit, 0)) throw std::runtime_error("pipe");
    SetHandleInformation(m_output, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine = L"\"" + ServerPath() + L"\" " + arguments;
    const BOOL started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &m_process);
    CloseHandle(write);
    if (!started) throw std::runtime_error("cannot start the server");
    CloseHandle(m_process.hThread);
  }
  ~WideCommandLineServer() {
    TerminateProcess(m_process.hProcess, 1);
    WaitForSingleObject(m_process.hProcess, INFINITE);
    CloseHandle(m_process.hProcess);
    CloseHandle(m_output);
  }
  WideCommandLineServer(const WideCommandLineServer&) = delete;
  WideCommandLineServer& operator=(const WideCommandLineServer&) = delete;

  // The port of its line "listening on 127.0.0.1:PORT"; 0 when the output
  // ends without one.
  std::uint16_t ReadyPort() {
    std::string line;
    char c = 0;
    DWORD count = 0;
    while (ReadFile(m_output, &c, 1, &count, nullptr) && count == 1 && c != '\n') line += c;
    const std::string prefix = "listening on 127.0.0.1:";
    if (!line.starts_with(prefix)) return 0;
    return static_cast<std::uint16_t>(std::stoul(line.substr(prefix.size())));
  }

 private:
  PROCESS_INFORMATION m_process{};
  HANDLE m_output = nullptr;
};

// Standard output and error are in text mode: each line ends with CR LF.
vqtest::ProgramRun RunWithLineFeeds(const std::vector<std::string>& arguments) {
  vqtest::ProgramRun run = vqtest::RunProgram(VQ_STATUS_SERVER, arguments);
  std::erase(run.output, '\r');
  std::erase(run.errors, '\r');
  return run;
}

TEST(StatusServerOnWindows, HostBeyondTheAnsiCodePageReachesTheClientIntact) {
  WideCommandLineServer server(L"--bind 127.0.0.1 --port 0 --host \"Grüße 日本 Server\"");
  const std::uint16_t port = server.ReadyPort();
  ASSERT_NE(port, 0);
  vqtest::UdpPeer client;
  client.SendTo(htonl(INADDR_LOOPBACK), port, std::string(kStatusRequestText.substr(0, kStatusRequestLength)));
  const std::optional<std::string> reply = client.Receive(5000);
  ASSERT_TRUE(reply.has_value());
  const std::vector<StatusFieldUpdate> fields =
      DecodeStatusReply(reinterpret_cast<const unsigned char*>(reply->data()), reply->size());
  ASSERT_FALSE(fields.empty());
  EXPECT_EQ(fields.front(), (StatusFieldUpdate{StatusField::Host, "Grüße 日本 Server"}));
}

TEST(StatusServerOnWindows, MessagesNameTheProgramNotItsPath) {
  const vqtest::ProgramRun help = RunWithLineFeeds({"--help"});
  EXPECT_TRUE(help.output.starts_with(std::string("Usage: ") + kProgram + " [options]\n")) << help.output;
  EXPECT_NE(help.output.find(std::string("\n  ") + kProgram + " --port 6971"), std::string::npos) << help.output;
  const vqtest::ProgramRun misuse = RunWithLineFeeds({"--port", "x"});
  EXPECT_EQ(misuse.exitStatus, 2);
  EXPECT_TRUE(misuse.errors.starts_with(std::string(kProgram) + ": --port needs")) << misuse.errors;
  EXPECT_NE(misuse.errors.find(std::string("Try '") + kProgram + " --help'."), std::string::npos) << misuse.errors;
}

// The system's words for an error without the final full stop; "" when its
// message table has none (Wine has none for the socket errors).
std::string SystemWords(DWORD error) {
  wchar_t text[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, 512, nullptr);
  std::string words;
  for (DWORD i = 0; i < length; ++i) words += static_cast<char>(text[i]);  // English: ASCII
  while (!words.empty() && std::string_view("\r\n. ").find(words.back()) != std::string_view::npos) words.pop_back();
  return words;
}

// A busy address is reported in words, the system's or else the POSIX
// ones, under the name the program's other messages use.
TEST(StatusServerOnWindows, BusyAddressIsReportedInWords) {
  WideCommandLineServer first(L"--bind 127.0.0.1 --port 0");
  const std::uint16_t port = first.ReadyPort();
  ASSERT_NE(port, 0);
  const vqtest::ProgramRun run = RunWithLineFeeds({"--bind", "127.0.0.1", "--port", std::to_string(port)});
  EXPECT_EQ(run.exitStatus, 1);
  const std::string system = SystemWords(WSAEADDRINUSE);
  const std::string words = system.empty() ? "Address already in use" : system;
  EXPECT_EQ(run.errors,
            std::string(kProgram) + ": cannot bind 127.0.0.1:" + std::to_string(port) + ": " + words + "\n");
}

TEST(StatusServerOnWindows, HelpAsksWithQuillmarExeNotLinuxTools) {
  const vqtest::ProgramRun run = RunWithLineFeeds({"--help"});
  EXPECT_NE(run.output.find("\n  quillmar.exe --query 127.0.0.1\n"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("socat"), std::string::npos) << run.output;
}

}  // namespace
