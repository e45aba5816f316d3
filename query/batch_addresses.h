#pragma once
#include <cstddef>
#include <utility>
#include <vector>

#include "platform/framework/cstring.h"
#include "platform/winsock/winsock.h"

// The texts given to a batch, sorted by what they give: dotted quads, asked
// at once; host names, each looked up once however often it is given; and
// texts that give no address to ask (empty, 0.0.0.0).
struct SortedAddresses {
  std::vector<std::pair<std::size_t, u_long>> dotted;  // (place in the list, address)
  std::vector<CString> names;                          // each once
  std::vector<std::vector<std::size_t>> placesOfName;  // per name: the places that give it
  std::vector<std::size_t> invalid;
};

// White space around a text is ignored.
SortedAddresses SortAddresses(const std::vector<CString>& addresses);
