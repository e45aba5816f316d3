#pragma once
#include "platform/framework/cstring.h"
#include "platform/winsock/winsock.h"

class CFileSocket;

// Where the status request goes: UDP port 6971 of the address in the
// address field, white space around it ignored. A dotted quad is taken as it
// stands; any other text (a host name) goes to the address that the resolver
// (the echo probe) finds for it. "No address" (0.0.0.0) and the limited
// broadcast address are never destinations: 0.0.0.0 would reach this very
// host, and all ones is what text that gives no address converts to.
// Returns FALSE when the text leaves nothing to send to.
BOOL FindStatusDestination(const CString& strAddress, CFileSocket& resolver, sockaddr_in& destination);

// The address text without the white space around it.
CString TrimmedAddressText(const CString& strAddress);

// FALSE for 0.0.0.0 and all ones.
BOOL IsStatusDestination(u_long address);

// UDP port 6971 of the address (network order).
sockaddr_in StatusDestinationOf(u_long address);
