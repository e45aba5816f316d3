#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace exporter {

// An IPv4 network: the address (host byte order) and its prefix length.
struct Network {
  std::uint32_t address = 0;
  int prefix = 32;

  bool Contains(std::uint32_t host) const;
};

// "A.B.C.D" as the program reads a typed address (four decimal numbers,
// nothing more), in host byte order; nothing for 255.255.255.255.
std::optional<std::uint32_t> ReadDottedQuad(std::string_view text);

// "A.B.C.D/N" or a single "A.B.C.D" (a /32); the address is read as the
// program reads a typed one (four decimal numbers, nothing more), and host
// bits set below the prefix are refused as a likely typing error.
std::optional<Network> ReadNetwork(std::string_view text);

// The target of a scrape: a dotted quad the server can be asked at, in host
// byte order; nothing for names, other number forms, 0.0.0.0 and
// 255.255.255.255.
std::optional<std::uint32_t> ReadTarget(std::string_view text);

// An address (host byte order) as a plain dotted quad, without leading
// zeros, as the system's parsers read it back (they take those as octal).
std::string DottedQuadText(std::uint32_t address);

// Which targets may be probed: loopback (127.0.0.0/8), the dotted-quad
// servers of the address book, and the networks given.
class TargetPolicy {
 public:
  TargetPolicy(std::vector<Network> allowed, const std::vector<std::string>& bookAddresses);
  bool Admits(std::uint32_t target) const;

 private:
  std::vector<Network> m_allowed;
};

// The addresses of the address book's servers, from the same file the
// program's dialog and --query-list read; empty when there is none.
std::vector<std::string> AddressBookTargets();

}  // namespace exporter
