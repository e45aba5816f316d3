#pragma once
// The sockets library (version 1.1 interface) over POSIX sockets.
//
// glibc already declares fd_set, select, struct timeval and the FD_* macros
// globally (any C++ standard header pulls in <sys/select.h>). So this header
// takes <sys/select.h> first, replaces the descriptor-set macros with the
// library's own (a counted array of handles), and declares everything else in
// namespace winsock, brought into the global namespace by using-declarations:
// the mangled names never clash with glibc's extern "C" functions, and
// `select` becomes an overload that takes the library's set.
//
// Do not include <sys/socket.h>, <netinet/in.h>, <arpa/inet.h> or <netdb.h>
// in a file that includes this header: their names are the library's here.
#include <sys/select.h>
#include <sys/types.h>

#include <cstdint>

#include "platform/kernel/windef.h"

#undef FD_SET
#undef FD_CLR
#undef FD_ISSET
#undef FD_ZERO
#undef FD_SETSIZE

// glibc's u_long is 64 bits; the library's is 32 (u_char, u_short and u_int
// already have the library's sizes).
typedef std::uint32_t WSA_U_LONG;
#define u_long WSA_U_LONG

typedef u_int SOCKET;

#define FD_SETSIZE 64
struct WSA_FD_SET {
  u_int fd_count;
  SOCKET fd_array[FD_SETSIZE];
};
#define fd_set WSA_FD_SET
// POSIX struct timeval serves as the library's (same field names).

#define INVALID_SOCKET (static_cast<SOCKET>(~0u))
#define SOCKET_ERROR (-1)

// Address families, socket types, protocols.
#define AF_UNSPEC 0
#define AF_INET 2
#define PF_INET AF_INET
#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define SOCK_RAW 3
#define SOCK_RDM 4
#define SOCK_SEQPACKET 5
#define IPPROTO_IP 0
#define IPPROTO_ICMP 1
#define IPPROTO_TCP 6
#define IPPROTO_UDP 17

#define INADDR_ANY (static_cast<u_long>(0x00000000u))
#define INADDR_LOOPBACK 0x7f000001u
#define INADDR_BROADCAST (static_cast<u_long>(0xffffffffu))
#define INADDR_NONE 0xffffffffu

// Flags for send/recv, shutdown directions.
#define MSG_OOB 0x1
#define MSG_PEEK 0x2
#define MSG_DONTROUTE 0x4
#define SD_RECEIVE 0x00
#define SD_SEND 0x01
#define SD_BOTH 0x02

// ioctlsocket commands.
#define FIONBIO (static_cast<LONG>(0x8004667Eu))

// Socket options.
#define SOL_SOCKET 0xffff
#define SO_RCVBUF 0x1002

// Error numbers.
#define WSABASEERR 10000
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAEINPROGRESS 10036
#define WSAEALREADY 10037
#define WSAENOTSOCK 10038
#define WSAEDESTADDRREQ 10039
#define WSAEMSGSIZE 10040
#define WSAEPROTOTYPE 10041
#define WSAENOPROTOOPT 10042
#define WSAEPROTONOSUPPORT 10043
#define WSAESOCKTNOSUPPORT 10044
#define WSAEOPNOTSUPP 10045
#define WSAEPFNOSUPPORT 10046
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAENETRESET 10052
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEISCONN 10056
#define WSAENOTCONN 10057
#define WSAESHUTDOWN 10058
#define WSAETOOMANYREFS 10059
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAELOOP 10062
#define WSAENAMETOOLONG 10063
#define WSAEHOSTDOWN 10064
#define WSAEHOSTUNREACH 10065
#define WSAENOTEMPTY 10066
#define WSAEPROCLIM 10067
#define WSAEUSERS 10068
#define WSAEDQUOT 10069
#define WSAESTALE 10070
#define WSAEREMOTE 10071
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAEDISCON 10101
#define WSASYSCALLFAILURE 10107
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004
#define WSANO_ADDRESS WSANO_DATA

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

namespace winsock {

struct in_addr {
  u_long s_addr;  // network byte order
};

struct sockaddr {
  u_short sa_family;
  char sa_data[14];  // NOLINT(readability-magic-numbers): the old header's size
};

struct sockaddr_in {
  short sin_family;
  u_short sin_port;  // network byte order
  struct in_addr sin_addr;
  char sin_zero[8];
};

struct hostent {
  char* h_name;
  char** h_aliases;
  short h_addrtype;
  short h_length;
  char** h_addr_list;
};

struct servent {
  char* s_name;
  char** s_aliases;
  short s_port;  // network byte order
  char* s_proto;
};

struct WSAData {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
};
typedef WSAData WSADATA;
typedef WSADATA* LPWSADATA;

static_assert(sizeof(SOCKET) == 4);
static_assert(sizeof(u_long) == 4);
static_assert(sizeof(in_addr) == 4);
static_assert(sizeof(sockaddr) == 16);
static_assert(sizeof(sockaddr_in) == 16);
static_assert(sizeof(WSA_FD_SET) == 4 + 4 * FD_SETSIZE);

// Start-up and clean-up; every call below that touches a socket or the
// resolver fails with WSANOTINITIALISED until WSAStartup has succeeded.
int WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int iError);

// Handles made outside the library (a socket descriptor entered into the
// handle table) serve as well as its own.
SOCKET socket(int af, int type, int protocol);
int closesocket(SOCKET s);
// Only SO_RCVBUF at SOL_SOCKET.
int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
// Only FIONBIO.
int ioctlsocket(SOCKET s, LONG cmd, u_long* argp);
int send(SOCKET s, const char* buf, int len, int flags);
int recv(SOCKET s, char* buf, int len, int flags);
int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen);
int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen);
int shutdown(SOCKET s, int how);
// nfds is ignored. Beware: with all three sets given as a null literal and a
// non-const timeval*, overload resolution prefers glibc's select.
int select(int nfds, WSA_FD_SET* readfds, WSA_FD_SET* writefds, WSA_FD_SET* exceptfds, const timeval* timeout);
int __WSAFDIsSet(SOCKET s, WSA_FD_SET* set);

u_short htons(u_short hostshort);
u_short ntohs(u_short netshort);
u_long inet_addr(const char* cp);
char* inet_ntoa(in_addr in);

hostent* gethostbyname(const char* name);
hostent* gethostbyaddr(const char* addr, int len, int type);
servent* getservbyport(int port, const char* proto);
servent* getservbyname(const char* name, const char* proto);

// The descriptor-set helper behind FD_SET.
void FdSetAdd(SOCKET s, WSA_FD_SET* set);

}  // namespace winsock

using winsock::hostent;
using winsock::in_addr;
using winsock::LPWSADATA;
using winsock::servent;
using winsock::sockaddr;
using winsock::sockaddr_in;
using winsock::WSAData;
using winsock::WSADATA;

using winsock::__WSAFDIsSet;
using winsock::closesocket;
using winsock::gethostbyaddr;
using winsock::gethostbyname;
using winsock::getservbyname;
using winsock::getservbyport;
using winsock::htons;
using winsock::inet_addr;
using winsock::inet_ntoa;
using winsock::ioctlsocket;
using winsock::ntohs;
using winsock::recv;
using winsock::recvfrom;
using winsock::select;
using winsock::send;
using winsock::sendto;
using winsock::setsockopt;
using winsock::shutdown;
using winsock::socket;
using winsock::WSACleanup;
using winsock::WSAGetLastError;
using winsock::WSASetLastError;
using winsock::WSAStartup;

typedef hostent* LPHOSTENT;
typedef servent* LPSERVENT;
typedef sockaddr_in* LPSOCKADDR_IN;
typedef sockaddr* LPSOCKADDR;
typedef sockaddr SOCKADDR;
typedef sockaddr_in SOCKADDR_IN;

#define h_addr h_addr_list[0]

#define FD_ZERO(set) (static_cast<WSA_FD_SET*>(set)->fd_count = 0)
#define FD_SET(s, set) winsock::FdSetAdd(static_cast<SOCKET>(s), static_cast<WSA_FD_SET*>(set))
#define FD_ISSET(s, set) __WSAFDIsSet(static_cast<SOCKET>(s), static_cast<WSA_FD_SET*>(set))
