#include "query/batch_addresses.h"

#include <map>
#include <string>

#include "platform/winsock/address_text.h"
#include "query/status_destination.h"

SortedAddresses SortAddresses(const std::vector<CString>& addresses) {
  SortedAddresses sorted;
  std::map<std::string, std::size_t> nameAt;  // by the text: CString has no order of its own
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    const CString text = TrimmedAddressText(addresses[i]);
    const u_long address = winsock::DottedQuadAddress(text);  // all ones for text that is not a dotted quad
    if (IsStatusDestination(address)) {
      sorted.dotted.emplace_back(i, address);
    } else if (address == INADDR_NONE && !text.IsEmpty() && winsock::MayResolve(text)) {
      const auto [entry, added] = nameAt.try_emplace(text.str(), sorted.names.size());
      if (added) {
        sorted.names.push_back(text);
        sorted.placesOfName.emplace_back();
      }
      sorted.placesOfName[entry->second].push_back(i);
    } else {
      sorted.invalid.push_back(i);
    }
  }
  return sorted;
}
