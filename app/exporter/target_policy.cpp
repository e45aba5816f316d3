#include "app/exporter/target_policy.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>

#include "platform/framework/file_exception.h"
#include "platform/winsock/address_text.h"
#include "query/address_book.h"
#include "query/address_book_file.h"
#include "query/chosen_address.h"

namespace exporter {
namespace {

constexpr Network kLoopback{0x7F000000u, 8};
constexpr std::size_t kLongestDottedQuad = 15;  // "255.255.255.255"

std::uint32_t Mask(int prefix) { return prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - prefix); }

}  // namespace

std::optional<std::uint32_t> ReadDottedQuad(std::string_view text) {
  // The reader takes NUL-terminated text: a NUL inside would end it early.
  if (text.size() > kLongestDottedQuad || text.find('\0') != std::string_view::npos) return std::nullopt;
  const std::string copy(text);
  const std::uint32_t address = winsock::DottedQuadAddress(copy.c_str());
  if (address == INADDR_NONE) return std::nullopt;
  return ntohl(address);
}

bool Network::Contains(std::uint32_t host) const { return (host & Mask(prefix)) == address; }

std::optional<Network> ReadNetwork(std::string_view text) {
  const std::size_t slash = text.find('/');
  const std::optional<std::uint32_t> address = ReadDottedQuad(text.substr(0, slash));
  if (!address) return std::nullopt;
  const std::uint32_t base = *address;
  int prefix = 32;
  if (slash != std::string_view::npos) {
    const std::string_view digits = text.substr(slash + 1);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), prefix);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || prefix < 0 || prefix > 32) {
      return std::nullopt;
    }
  }
  if ((base & ~Mask(prefix)) != 0) return std::nullopt;
  return Network{base, prefix};
}

std::optional<std::uint32_t> ReadTarget(std::string_view text) {
  const std::optional<std::uint32_t> address = ReadDottedQuad(text);
  if (!address || *address == 0) return std::nullopt;  // 0.0.0.0 would reach this very host
  return address;
}

TargetPolicy::TargetPolicy(std::vector<Network> allowed, const std::vector<std::string>& bookAddresses)
    : m_allowed(std::move(allowed)) {
  m_allowed.push_back(kLoopback);
  for (const std::string& text : bookAddresses) {
    if (const std::optional<std::uint32_t> address = ReadTarget(text)) m_allowed.push_back(Network{*address, 32});
  }
}

bool TargetPolicy::Admits(std::uint32_t target) const {
  return std::ranges::any_of(m_allowed, [target](const Network& network) { return network.Contains(target); });
}

std::vector<std::string> AddressBookTargets() {
  CString text;
  try {
    if (!ReadAddressBookFile(text)) return {};
  } catch (CFileException* e) {
    e->Delete();  // an unreadable book admits nothing more
    return {};
  }
  std::vector<std::string> addresses;
  for (const CString& line : AddressBookListLines(ParseAddressBook(text, text.GetLength()))) {
    addresses.push_back(ChosenAddress(line).str());
  }
  return addresses;
}

std::string DottedQuadText(std::uint32_t address) {
  in_addr raw{htonl(address)};
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &raw, text, sizeof text);
  return text;
}

}  // namespace exporter
