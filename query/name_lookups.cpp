#include "query/name_lookups.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/kernel/handle_table.h"
#include "platform/kernel/wake_event.h"

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

// Everything the lookup threads use: the last of them, or the owner, frees it.
struct CNameLookups::Shared {
  explicit Shared(std::vector<CString> names) : names(std::move(names)) {}

  // Takes the next name until none is left or the owner has gone.
  void Work() {
    for (std::size_t i; !abandoned && (i = next.fetch_add(1)) < names.size();) {
      Answer answer{i, LookUp(names[i])};
      {
        const std::lock_guard lock(mutex);
        answers.push_back(answer);
      }
      wake.Set();
    }
  }

  const std::vector<CString> names;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> abandoned{false};
  std::mutex mutex;
  std::vector<Answer> answers;  // not yet taken
  kernel::WakeEvent wake;
};

CNameLookups::CNameLookups(std::vector<CString> names) : m_count(names.size()) {
  if (names.empty()) return;
  m_shared = std::make_shared<Shared>(std::move(names));
  const std::size_t threads = std::min(kLookupsAtOnce, m_count);
  std::size_t started = 0;
  try {
    for (; started < threads; ++started) std::thread([shared = m_shared] { shared->Work(); }).detach();
  } catch (const std::system_error&) {
    if (started == 0) m_shared->Work();  // no thread to spare: look up here rather than fail
  }
}

CNameLookups::~CNameLookups() {
  if (m_shared) m_shared->abandoned = true;
}

kernel::WaitHandle CNameLookups::WakeHandle() const { return m_shared ? m_shared->wake.Handle() : kernel::kNoHandle; }

std::vector<CNameLookups::Answer> CNameLookups::TakeAnswers() {
  if (!m_shared) return {};
  m_shared->wake.Reset();  // before taking: an answer added after this sets it again
  std::vector<Answer> taken;
  {
    const std::lock_guard lock(m_shared->mutex);
    taken.swap(m_shared->answers);
  }
  m_taken += taken.size();
  return taken;
}
