#include "query/status_destination.h"

#include <cstring>

#include "net/file_socket.h"
#include "platform/winsock/address_text.h"
#include "protocol/status_request.h"

namespace {

// The address the resolver finds for a host name; INADDR_NONE when it finds
// none. The destination is found before the echo, so the echo then goes to
// the same address, given as a dotted quad.
u_long ResolvedAddress(const CString& strName, CFileSocket& resolver) {
  resolver.SetAddress(strName);
  if (resolver.m_strDottedAddress.IsEmpty()) return INADDR_NONE;
  return winsock::DottedQuadAddress(resolver.m_strDottedAddress);
}

}  // namespace

CString TrimmedAddressText(const CString& strAddress) {
  CString text = strAddress;
  text.TrimRight();
  text.TrimLeft();
  return text;
}

BOOL IsStatusDestination(u_long address) { return address != INADDR_NONE && address != INADDR_ANY ? TRUE : FALSE; }

sockaddr_in StatusDestinationOf(u_long address) {
  sockaddr_in destination;
  std::memset(&destination, 0, sizeof destination);
  destination.sin_family = AF_INET;
  destination.sin_port = htons(kStatusPort);
  destination.sin_addr.s_addr = address;
  return destination;
}

BOOL FindStatusDestination(const CString& strAddress, CFileSocket& resolver, sockaddr_in& destination) {
  const CString text = TrimmedAddressText(strAddress);
  if (text.IsEmpty()) return FALSE;
  u_long address = winsock::DottedQuadAddress(text);  // all ones for text that is not a dotted quad
  if (address == INADDR_NONE) address = ResolvedAddress(text, resolver);
  if (!IsStatusDestination(address)) return FALSE;
  destination = StatusDestinationOf(address);
  return TRUE;
}
