#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace status_server {

// The defaults of the command line, each named by its member.
// NOLINTBEGIN(readability-magic-numbers)
struct ServerOptions {
  std::string bindAddress = "127.0.0.1";
  std::uint16_t port = 6971;  // 0: the system picks a free port
  std::string host = "Quillmar Test Server";
  std::string track = "Harbour Loop";
  std::string players = "3/8";
  int level = 1;
  std::string session = "Race";
  int secondsLeft = 1800;
  std::optional<std::string> exactReply;  // from --reply-hex
  bool silent = false;
  bool oversize = false;
  bool logRequests = false;
  bool hostIsAddress = false;  // the host field names the address each request was sent to
  // Requests sent to an address in one of these ranges are not answered.
  struct AddressRange {
    std::uint32_t network = 0;  // host byte order
    std::uint32_t mask = 0;
    bool Holds(std::uint32_t address) const { return (address & mask) == network; }
  };
  std::vector<AddressRange> silentFor;
  bool help = false;
};
// NOLINTEND(readability-magic-numbers)

// Parses the command line. On failure returns nullopt and sets `error` to a
// one-line message for the user.
std::optional<ServerOptions> ParseServerOptions(int argc, char** argv, std::string& error);

// The --help text.
std::string UsageText(const char* programName);

}  // namespace status_server
