#pragma once
// The system's sockets library (ws2_32.dll, or wsock32.dll where the
// program loads that one). The names are also offered in namespace winsock,
// where the POSIX build declares its own.
#include "platform/kernel/windef.h"

namespace winsock {
using ::__WSAFDIsSet;
using ::closesocket;
using ::gethostbyaddr;
using ::gethostbyname;
using ::getservbyname;
using ::getservbyport;
using ::htons;
using ::inet_addr;
using ::inet_ntoa;
using ::ioctlsocket;
using ::ntohs;
using ::recv;
using ::recvfrom;
using ::select;
using ::send;
using ::sendto;
using ::setsockopt;
using ::shutdown;
using ::socket;
using ::WSACleanup;
using ::WSAGetLastError;
using ::WSASetLastError;
using ::WSAStartup;
}  // namespace winsock
