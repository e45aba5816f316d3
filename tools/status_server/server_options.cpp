#include "tools/status_server/server_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <string_view>

#include "tools/status_server/hex.h"
#include "tools/status_server/ipv4_text.h"
#include "tools/status_server/usage_example.h"

namespace status_server {
namespace {

// Largest payload of one UDP datagram over IPv4.
constexpr std::size_t kMaxDatagram = 65507;

bool ParseInt(std::string_view text, long long low, long long high, long long& value) {
  const char* end = text.data() + text.size();
  auto [stop, status] = std::from_chars(text.data(), end, value);
  return status == std::errc() && stop == end && value >= low && value <= high;
}

// A 0x01 byte would split the value into two fields and shift the rest.
bool IsFieldText(std::string_view text) { return text.find('\x01') == std::string_view::npos; }

// "ADDR/BITS" or a single address.
std::optional<ServerOptions::AddressRange> ParseRange(const std::string& text) {
  const std::size_t slash = text.find('/');
  long long bits = 32;
  if (slash != std::string::npos && !ParseInt(std::string_view(text).substr(slash + 1), 0, 32, bits)) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> address = ParseDottedQuad(text.substr(0, slash));
  if (!address) return std::nullopt;
  const std::uint32_t mask = bits == 0 ? 0 : ~std::uint32_t{0} << (32 - bits);
  return ServerOptions::AddressRange{*address & mask, mask};
}

// Applies one of the options whose value is a number; returns an error
// message or "".
std::string ApplyNumber(ServerOptions& options, std::string_view name, const std::string& value) {
  long long number = 0;
  if (name == "--port") {
    if (!ParseInt(value, 0, 65535, number)) return "--port needs a number from 0 to 65535";
    options.port = static_cast<std::uint16_t>(number);
  } else if (name == "--level") {
    if (!ParseInt(value, INT_MIN, INT_MAX, number)) return "--level needs a whole number";
    options.level = static_cast<int>(number);
  } else {
    if (!ParseInt(value, 0, INT_MAX, number)) {
      return "--seconds-left needs a whole number from 0 to 2147483647";
    }
    options.secondsLeft = static_cast<int>(number);
  }
  return "";
}

// Applies one option with a value; returns an error message or "".
std::string ApplyValue(ServerOptions& options, std::string_view name, const std::string& value) {
  if (name == "--port" || name == "--level" || name == "--seconds-left") return ApplyNumber(options, name, value);
  if (name == "--bind") {
    if (!ParseDottedQuad(value)) return "--bind needs an IPv4 address in dotted form, e.g. 127.0.0.1";
    options.bindAddress = value;
  } else if (name == "--silent-for") {
    const std::optional<ServerOptions::AddressRange> range = ParseRange(value);
    if (!range) return "--silent-for needs an IPv4 address or range in dotted form, e.g. 127.0.1.0/24";
    options.silentFor.push_back(*range);
  } else if (name == "--reply-hex") {
    std::optional<std::string> bytes = BytesFromHex(value);
    if (!bytes) return "--reply-hex needs pairs of hex digits without separators, e.g. 0161";
    if (bytes->size() > kMaxDatagram) return "--reply-hex gives more bytes than one datagram holds";
    options.exactReply = std::move(*bytes);
  } else {
    if (!IsFieldText(value)) return std::string(name) + " must not contain the byte 0x01";
    if (name == "--host") options.host = value;
    if (name == "--track") options.track = value;
    if (name == "--players") options.players = value;
    if (name == "--session") options.session = value;
  }
  return "";
}

bool IsValueOption(std::string_view name) {
  constexpr auto kValueOptions =
      std::to_array<std::string_view>({"--bind", "--port", "--host", "--track", "--players", "--level", "--session",
                                       "--seconds-left", "--reply-hex", "--silent-for"});
  return std::ranges::find(kValueOptions, name) != kValueOptions.end();
}

// Applies one option without a value; returns false when it is unknown.
bool ApplyFlag(ServerOptions& options, std::string_view name) {
  if (name == "--silent") {
    options.silent = true;
  } else if (name == "--oversize") {
    options.oversize = true;
  } else if (name == "--log-requests") {
    options.logRequests = true;
  } else if (name == "--host-is-address") {
    options.hostIsAddress = true;
  } else if (name == "--help" || name == "-h") {
    options.help = true;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::optional<ServerOptions> ParseServerOptions(int argc, char** argv, std::string& error) {
  ServerOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    std::string_view name = argument;
    std::optional<std::string> value;
    if (const std::size_t equals = argument.find('='); argument.starts_with("--") && equals != std::string_view::npos) {
      name = argument.substr(0, equals);
      value = std::string(argument.substr(equals + 1));
    }
    if (IsValueOption(name)) {
      if (!value) {
        if (i + 1 >= argc) {
          error = std::string(name) + " needs a value";
          return std::nullopt;
        }
        value = argv[++i];
      }
      error = ApplyValue(options, name, *value);
      if (!error.empty()) return std::nullopt;
    } else if (value || !ApplyFlag(options, name)) {
      error = "unknown option " + std::string(argument);
      return std::nullopt;
    }
  }
  return options;
}

std::string UsageText(const char* programName) {
  const std::string name = programName;
  return "Usage: " + name +
         " [options]\n"
         R"(
A stand-in game server for trying Veloxa Quillmar without the game. It waits
for UDP datagrams and answers every datagram of one byte or more, to its
sender, with a status text: fields separated by the byte 0x01, where field 2
is the host name, 3 the track, 5 the players, 7 the level, 9 the session and
11 the time left in seconds (after one leading character the client skips).
Empty datagrams are ignored. When ready it prints one line
"listening on ADDR:PORT" to standard output. SIGINT or SIGTERM (on Windows
Ctrl+C, Ctrl+Break or closing its console) end it with exit status 0; bad
options end it with status 2, a socket failure with 1.

Where to listen:
  --bind ADDR          IPv4 address in dotted form (default 127.0.0.1); no
                       names are looked up
  --port N             UDP port, 0 to 65535 (default 6971); 0 lets the system
                       choose, and the ready line shows the port it chose

With --bind 0.0.0.0 it answers on every address of the host, each answer
from the address its request was sent to: in a network namespace of its own,
one server stands for a whole range of loopback servers (127.0.0.0/8).

What to answer:
  --host TEXT          host name (default "Quillmar Test Server")
  --track TEXT         track (default "Harbour Loop")
  --players TEXT       players (default "3/8")
  --level N            level: 0 Novice, 1 Intermediate, 2 Pro, 3 Grand Prix;
                       other numbers are sent too, and the client ignores them
                       (default 1)
  --session TEXT       session (default "Race")
  --seconds-left N     time left in seconds, 0 to 2147483647; the client shows
                       whole minutes (default 1800, shown as "30 Mins")
  --reply-hex HEX      answer with exactly these bytes instead, given as pairs
                       of hex digits without separators (empty: an empty
                       datagram); replaces all the texts above
  --oversize           pad the answer with '.' to 1500 bytes, more than the
                       client's 1024-byte receive buffer
  --silent             receive but never answer
  --silent-for RANGE   never answer requests sent to an address in RANGE
                       (ADDR or ADDR/BITS, e.g. 127.0.1.0/24); may be repeated
  --host-is-address    the host name is the address the request was sent to

Texts may not contain the byte 0x01. The client reads only the first 150
characters of a reply; a warning on standard error says when the time left
lies beyond them.

Other:
  --log-requests       print "request ADDR:PORT HEX" to standard output for
                       every datagram it answers (or, with --silent, would
                       answer), HEX being its bytes in upper-case hex
  -h, --help           show this text

Options take their value as the next argument or after '=' (--port=0).

)" + UsageExample(name);
}

}  // namespace status_server
