#pragma once
#include <cstddef>
#include <optional>
#include <vector>

#include "platform/framework/cstring.h"
#include "platform/winsock/winsock.h"

// The status exchanges of many servers at once: each server gets its one
// request and its own 2-second send wait and 5-second reply wait, and no
// server's wait delays another's. One thread runs them over a few datagram
// sockets: a reply counts only when it comes from the address and port its
// request went to, so each socket has at most one exchange in flight per
// destination. Requests leave a little apart, so that neither side's
// receive buffer overflows when a thousand servers answer at once.
struct StatusExchange {
  std::vector<char> reply;  // the reply's bytes when one came
  bool replied = false;
  CString strFailure;  // otherwise what the dialog would show
};

class CStatusRound {
 public:
  explicit CStatusRound(std::size_t nParallel) : m_nParallel(nParallel == 0 ? 1 : nParallel) {}

  // One exchange per destination, in the same order; a destination that is
  // empty is not asked (its exchange stays without reply or failure).
  std::vector<StatusExchange> Run(const std::vector<std::optional<sockaddr_in>>& destinations);

 private:
  std::size_t m_nParallel;
};
