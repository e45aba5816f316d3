#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/framework/cstring.h"
#include "platform/kernel/handle_wait.h"
#include "platform/winsock/winsock.h"

// The IPv4 addresses of host names, looked up in the background, side by
// side (a few at a time), while the thread that asked goes on with its other
// work: a slow name service delays the names it is asked about and nothing
// else, and costs its wait once rather than once per name. Each lookup asks
// the sockets library's resolver, as the echo probe's would.
//
// The lookup threads share their state with this object instead of
// belonging to it: destroying it never waits for a lookup. The threads end
// the one in progress on their own, start no other, and their answers are
// dropped.
class CNameLookups {
 public:
  struct Answer {
    std::size_t name;               // its place in the names given
    std::optional<u_long> address;  // empty: the name gives no address
  };

  explicit CNameLookups(std::vector<CString> names);
  ~CNameLookups();
  CNameLookups(const CNameLookups&) = delete;
  CNameLookups& operator=(const CNameLookups&) = delete;

  // True while a name's answer has not been taken.
  bool Pending() const { return m_taken < m_count; }
  // A handle (kernel/handle_wait.h) that reads as ready while answers wait
  // to be taken; kernel::kNoHandle when there is none to be had: then take
  // them now and then.
  kernel::WaitHandle WakeHandle() const;
  // The answers that came since the last call.
  std::vector<Answer> TakeAnswers();

 private:
  struct Shared;

  std::shared_ptr<Shared> m_shared;
  std::size_t m_count;
  std::size_t m_taken = 0;
};
