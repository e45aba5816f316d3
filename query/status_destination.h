#pragma once
#include "platform/framework/cstring.h"
#include "platform/winsock/winsock.h"

class CFileSocket;

// Where the status request goes: UDP port 6971 of the address in the
// address field. A dotted quad is taken as it stands; any other text (a
// host name) goes to the address that the resolver (the echo probe) found for it. The
// limited broadcast address is never a destination, so text that gives no
// address leaves nothing to send to. Returns FALSE in that case.
BOOL FindStatusDestination(const CString& strAddress, CFileSocket& resolver, sockaddr_in& destination);
