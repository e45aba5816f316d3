// Host and service look-ups. Their records live in per-thread
// storage, valid until the thread's next look-up of the same kind.
//
// A look-up may wait long on a resolver, so the POSIX side runs on a worker
// thread while the caller keeps its blocking hook going. The worker only
// fills a plain record; the record and the last error are published on the
// calling thread, whose per-thread storage they belong to. A cancelled wait
// fails with WSAEINTR at once: the worker, which owns copies of its
// arguments and its record, finishes alone and its answer is dropped.
#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel/hooked_worker.h"
#include "platform/winsock/winsock_internal.h"

namespace winsock {
namespace {

// Owns the strings and pointer arrays a record points into.
struct NameList {
  std::vector<std::string> strings;
  std::vector<char*> pointers;

  char** Assign(std::vector<std::string> values) {
    strings = std::move(values);
    pointers.clear();
    for (std::string& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers.data();
  }
};

struct HostStorage {
  std::string name;
  NameList aliases;
  std::vector<std::uint32_t> addresses;
  std::vector<char*> addressPointers;
  hostent record{};
};

struct ServiceStorage {
  std::string name, protocol;
  NameList aliases;
  servent record{};
};

hostent* Publish(bridge::HostRecord found) {
  thread_local HostStorage storage;
  storage.name = std::move(found.name);
  storage.addresses = std::move(found.addresses);
  storage.addressPointers.clear();
  for (std::uint32_t& address : storage.addresses) storage.addressPointers.push_back(reinterpret_cast<char*>(&address));
  storage.addressPointers.push_back(nullptr);
  storage.record.h_name = storage.name.data();
  storage.record.h_aliases = storage.aliases.Assign(std::move(found.aliases));
  storage.record.h_addrtype = AF_INET;
  storage.record.h_length = 4;
  storage.record.h_addr_list = storage.addressPointers.data();
  return &storage.record;
}

servent* Publish(bridge::ServiceRecord found) {
  thread_local ServiceStorage storage;
  storage.name = std::move(found.name);
  storage.protocol = std::move(found.protocol);
  storage.record.s_name = storage.name.data();
  storage.record.s_aliases = storage.aliases.Assign(std::move(found.aliases));
  storage.record.s_port = static_cast<short>(found.port);
  storage.record.s_proto = storage.protocol.data();
  return &storage.record;
}

template <typename T>
T* FailLookup(int error) {
  detail::Fail(error);
  return nullptr;
}

int ErrorFor(bridge::LookupStatus status) {
  switch (status) {
    case bridge::LookupStatus::Found: return 0;
    case bridge::LookupStatus::HostNotFound: return WSAHOST_NOT_FOUND;
    case bridge::LookupStatus::TryAgain: return WSATRY_AGAIN;
    case bridge::LookupStatus::NoRecovery: return WSANO_RECOVERY;
    case bridge::LookupStatus::NoData: return WSANO_DATA;
  }
  return WSANO_RECOVERY;
}

// Runs a look-up of the POSIX side as a blocking call of the library; empty
// when the wait was cancelled. The look-up must own what it uses.
template <typename Result, typename Lookup>
std::optional<Result> LookUp(Lookup lookup) {
  return kernel::RunWithBlockingHookFor<Result>(std::move(lookup));
}

template <typename Record>
struct Found {
  bridge::LookupStatus status = bridge::LookupStatus::NoRecovery;
  Record record;
};

// A protocol argument kept by value (null: any protocol).
class Protocol {
 public:
  explicit Protocol(const char* proto) : m_any(proto == nullptr), m_text(m_any ? "" : proto) {}
  const char* Get() const { return m_any ? nullptr : m_text.c_str(); }

 private:
  bool m_any;
  std::string m_text;
};

Found<bridge::HostRecord> ResolveWithAliases(const std::string& name) {
  Found<bridge::HostRecord> found;
  found.status = bridge::ResolveHostName(name, &found.record);
  if (found.status == bridge::LookupStatus::Found) bridge::HostsFileAliases(found.record.name, &found.record.aliases);
  return found;
}

hostent* PublishHost(const std::optional<Found<bridge::HostRecord>>& found) {
  if (!found) return FailLookup<hostent>(WSAEINTR);
  if (found->status != bridge::LookupStatus::Found) return FailLookup<hostent>(ErrorFor(found->status));
  return Publish(found->record);
}

servent* PublishService(const std::optional<std::optional<bridge::ServiceRecord>>& found) {
  if (!found) return FailLookup<servent>(WSAEINTR);
  if (!*found) return FailLookup<servent>(WSANO_DATA);
  return Publish(**found);
}

std::optional<bridge::ServiceRecord> ServiceByPort(std::uint16_t port, const Protocol& proto) {
  bridge::ServiceRecord record;
  if (!bridge::ServiceByPort(port, proto.Get(), &record)) return std::nullopt;
  return record;
}

std::optional<bridge::ServiceRecord> ServiceByName(const std::string& name, const Protocol& proto) {
  bridge::ServiceRecord record;
  if (!bridge::ServiceByName(name.c_str(), proto.Get(), &record)) return std::nullopt;
  return record;
}

// Names under the special-use domain "invalid" never exist; resolvers are
// to answer so without asking any server.
bool IsInvalidDomain(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (!name.empty() && name.back() == '.') name.pop_back();
  constexpr std::string_view suffix = ".invalid";
  return name == "invalid" || (name.size() > suffix.size() && name.ends_with(suffix));
}

// A dotted address answers itself: its own text is the name.
bool IsDottedAddress(const char* name, std::uint32_t* address) {
  *address = inet_addr(name);
  return *address != INADDR_NONE || std::strcmp(name, "255.255.255.255") == 0;
}

}  // namespace

hostent* gethostbyname(const char* name) {
  if (!detail::IsStarted()) return FailLookup<hostent>(WSANOTINITIALISED);
  if (name == nullptr) return FailLookup<hostent>(WSAEFAULT);
  if (name[0] == '\0' || IsInvalidDomain(name)) return FailLookup<hostent>(WSAHOST_NOT_FOUND);
  std::uint32_t address = 0;
  if (IsDottedAddress(name, &address)) {
    bridge::HostRecord dotted;
    dotted.name = name;
    dotted.addresses = {address};
    return Publish(std::move(dotted));
  }
  return PublishHost(
      LookUp<Found<bridge::HostRecord>>([text = std::string(name)] { return ResolveWithAliases(text); }));
}

// Reverse look-ups read the hosts file only and never ask DNS. The program
// never shows the reverse name, and a PTR query to a resolver that cannot
// be reached would block the GUI thread for seconds. An address without a
// hosts entry fails with WSAHOST_NOT_FOUND.
hostent* gethostbyaddr(const char* addr, int len, int type) {
  if (!detail::IsStarted()) return FailLookup<hostent>(WSANOTINITIALISED);
  if (addr == nullptr || len != 4) return FailLookup<hostent>(WSAEFAULT);
  if (type != AF_INET) return FailLookup<hostent>(WSAEAFNOSUPPORT);
  std::uint32_t address = 0;
  std::memcpy(&address, addr, sizeof(address));
  return PublishHost(LookUp<Found<bridge::HostRecord>>([address] {
    Found<bridge::HostRecord> found;
    found.status = bridge::HostsFileByAddress(address, &found.record);
    return found;
  }));
}

servent* getservbyport(int port, const char* proto) {
  if (!detail::IsStarted()) return FailLookup<servent>(WSANOTINITIALISED);
  const auto networkPort = static_cast<std::uint16_t>(port);
  return PublishService(LookUp<std::optional<bridge::ServiceRecord>>(
      [networkPort, protocol = Protocol(proto)] { return ServiceByPort(networkPort, protocol); }));
}

servent* getservbyname(const char* name, const char* proto) {
  if (!detail::IsStarted()) return FailLookup<servent>(WSANOTINITIALISED);
  if (name == nullptr) return FailLookup<servent>(WSAEFAULT);
  return PublishService(LookUp<std::optional<bridge::ServiceRecord>>(
      [text = std::string(name), protocol = Protocol(proto)] { return ServiceByName(text, protocol); }));
}

}  // namespace winsock
