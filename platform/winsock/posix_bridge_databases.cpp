// Host and service databases of the POSIX side.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string_view>

#include "platform/winsock/address_text.h"
#include "platform/winsock/posix_bridge.h"

namespace winsock::bridge {
namespace {

constexpr const char* kHostsFile = "/etc/hosts";

std::vector<std::string> CopyList(char** list) {
  std::vector<std::string> result;
  for (; list != nullptr && *list != nullptr; ++list) result.emplace_back(*list);
  return result;
}

LookupStatus FromAddrInfoError(int error) {
  switch (error) {
    case EAI_NONAME: return LookupStatus::HostNotFound;
    case EAI_AGAIN: return LookupStatus::TryAgain;
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
    case EAI_ADDRFAMILY: return LookupStatus::NoData;
    default: return LookupStatus::NoRecovery;
  }
}

struct HostsLine {
  std::uint32_t address = 0;
  std::vector<std::string> names;
};

// The words of a line, split at blanks and tabs.
std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \t\r", at)) != std::string_view::npos) {
    const std::size_t end = std::min(line.find_first_of(" \t\r", at), line.size());
    words.emplace_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

// One line of the hosts file: an IPv4 address and its names; comments and
// other lines (IPv6 entries) are skipped.
bool ParseHostsLine(std::string_view line, HostsLine* entry) {
  std::vector<std::string> words = Words(line.substr(0, line.find('#')));
  if (words.size() < 2) return false;
  in_addr parsed{};
  if (::inet_pton(AF_INET, words.front().c_str(), &parsed) != 1) return false;
  entry->address = parsed.s_addr;
  entry->names.assign(std::make_move_iterator(words.begin() + 1), std::make_move_iterator(words.end()));
  return true;
}

// The whole file, read with the system's calls (the C++ streams would set up
// the standard library's locales first, which costs a console query more
// than the reading); empty when it cannot be read.
std::string ReadWholeFile(const char* path) {
  std::string text;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char chunk[4096];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

template <typename Match>
bool FindInHostsFile(Match match, HostsLine* found) {
  const std::string text = ReadWholeFile(kHostsFile);
  std::string_view rest(text);
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    if (ParseHostsLine(rest.substr(0, end), found) && match(*found)) return true;
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return false;
}

bool SameHostName(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

void FillFromHostsLine(const HostsLine& entry, HostRecord* record) {
  record->name = entry.names.front();
  record->aliases.assign(entry.names.begin() + 1, entry.names.end());
  record->addresses = {entry.address};
}

// Such a text is a name to us. As the system resolver would not look it up
// as one, and a DNS name does not end in an all-numeric label, only the
// hosts file answers for it.
LookupStatus HostsFileByName(const std::string& name, HostRecord* record) {
  HostsLine entry;
  auto named = [&name](const HostsLine& line) {
    auto same = [&name](const std::string& known) { return SameHostName(known, name); };
    return std::any_of(line.names.begin(), line.names.end(), same);
  };
  if (!FindInHostsFile(named, &entry)) return LookupStatus::HostNotFound;
  FillFromHostsLine(entry, record);
  return LookupStatus::Found;
}

ServiceRecord FromServent(const ::servent& entry) {
  ServiceRecord record;
  record.name = entry.s_name != nullptr ? entry.s_name : "";
  record.aliases = CopyList(entry.s_aliases);
  record.port = static_cast<std::uint16_t>(entry.s_port);
  record.protocol = entry.s_proto != nullptr ? entry.s_proto : "";
  return record;
}

}  // namespace

LookupStatus ResolveHostName(const std::string& name, HostRecord* record) {
  // The system resolver reads every number form ("010.1", "0x7f.1",
  // "16909060") as an address, octal and hex included, and cannot be asked
  // to look one up as a name.
  if (IsNumberForm(name) || CannotBeDnsName(name)) return HostsFileByName(name, record);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* list = nullptr;
  const int error = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
  if (error != 0) return FromAddrInfoError(error);
  record->name = list->ai_canonname != nullptr ? list->ai_canonname : name;
  record->aliases.clear();
  record->addresses.clear();
  for (const addrinfo* item = list; item != nullptr; item = item->ai_next) {
    if (item->ai_family != AF_INET) continue;
    sockaddr_in address;
    std::copy_n(reinterpret_cast<const char*>(item->ai_addr), sizeof(address), reinterpret_cast<char*>(&address));
    const std::uint32_t value = address.sin_addr.s_addr;
    if (std::find(record->addresses.begin(), record->addresses.end(), value) == record->addresses.end()) {
      record->addresses.push_back(value);
    }
  }
  ::freeaddrinfo(list);
  return record->addresses.empty() ? LookupStatus::NoData : LookupStatus::Found;
}

LookupStatus HostsFileByAddress(std::uint32_t address, HostRecord* record) {
  HostsLine entry;
  if (!FindInHostsFile([address](const HostsLine& line) { return line.address == address; }, &entry)) {
    return LookupStatus::HostNotFound;
  }
  FillFromHostsLine(entry, record);
  return LookupStatus::Found;
}

bool HostsFileAliases(const std::string& officialName, std::vector<std::string>* aliases) {
  HostsLine entry;
  auto official = [&officialName](const HostsLine& line) { return line.names.front() == officialName; };
  if (!FindInHostsFile(official, &entry)) return false;
  aliases->assign(entry.names.begin() + 1, entry.names.end());
  return true;
}

bool ServiceByName(const char* name, const char* protocol, ServiceRecord* record) {
  ::servent entry{};
  ::servent* result = nullptr;
  char buffer[4096];
  if (::getservbyname_r(name, protocol, &entry, buffer, sizeof(buffer), &result) != 0 || result == nullptr) {
    return false;
  }
  *record = FromServent(entry);
  return true;
}

bool ServiceByPort(std::uint16_t port, const char* protocol, ServiceRecord* record) {
  ::servent entry{};
  ::servent* result = nullptr;
  char buffer[4096];
  if (::getservbyport_r(port, protocol, &entry, buffer, sizeof(buffer), &result) != 0 || result == nullptr) {
    return false;
  }
  *record = FromServent(entry);
  return true;
}

}  // namespace winsock::bridge
