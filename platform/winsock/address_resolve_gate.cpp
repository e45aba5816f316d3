#include "platform/winsock/address_text.h"

namespace winsock {

// This library's resolver sends no number form and no text that cannot be a
// DNS name to DNS: it answers those from the hosts file alone.
bool MayResolve(const char* /*text*/) { return true; }

}  // namespace winsock
