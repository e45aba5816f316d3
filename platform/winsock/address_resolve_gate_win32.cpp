#include "platform/winsock/address_text.h"
#include "platform/winsock/winsock.h"

namespace winsock {

// The system's resolver reads number forms itself ("127.1", "0177.0.0.1" as
// octal, text after a blank) and would send the rest to DNS: it gets only a
// dotted quad other than 255.255.255.255 (for the reverse look-up) and what
// can be a DNS name.
bool MayResolve(const char* text) {
  if (text == nullptr) return false;
  if (DottedQuadAddress(text) != INADDR_NONE) return true;
  return !CannotBeDnsName(text) && !IsNumberForm(text);
}

}  // namespace winsock
