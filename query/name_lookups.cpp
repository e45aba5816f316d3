#include "query/name_lookups.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace {

// Lookups at a time: enough that names wait side by side, few enough to
// stay friendly to the name service.
constexpr std::size_t kLookupsAtOnce = 16;

// The first address of the name's record. The library keeps the record of
// each thread apart.
std::optional<u_long> LookUp(const CString& name) {
  const hostent* host = gethostbyname(name);
  if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr) return std::nullopt;
  u_long address = 0;
  std::memcpy(&address, host->h_addr_list[0], sizeof address);
  return address;
}

}  // namespace

std::vector<std::optional<u_long>> LookUpNames(const std::vector<CString>& names) {
  std::vector<std::optional<u_long>> addresses(names.size());
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < names.size();) addresses[i] = LookUp(names[i]);
  };
  std::vector<std::thread> workers;
  const std::size_t count = std::min(kLookupsAtOnce, names.size());
  for (std::size_t i = 1; i < count; ++i) workers.emplace_back(work);
  work();  // this thread is one of them
  for (std::thread& worker : workers) worker.join();
  return addresses;
}
