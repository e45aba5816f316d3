#include "query/chosen_address.h"

#include <string_view>

#include "query/address_book.h"

namespace {

constexpr std::string_view kBlanks = " \t\n\v\f\r";

// True when only blanks stand between the address cut out of the line and
// the line's first "=".
bool FollowsConvention(const CString& line, const CString& address) {
  if (address.IsEmpty()) return false;
  const std::string_view rest = line.view().substr(static_cast<std::size_t>(address.GetLength()));
  const std::size_t first = rest.find_first_not_of(kBlanks);
  return first != std::string_view::npos && rest[first] == '=';
}

}  // namespace

CString ChosenAddress(const CString& line) {
  CString address = AddressFromListLine(line);
  if (FollowsConvention(line, address)) return address;
  return CString(line.view().substr(0, line.view().find_first_of(kBlanks)));
}
