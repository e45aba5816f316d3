#pragma once
// The process-wide table of sockets entry points, bound at run time from the
// sockets DLL that suits the running system version. The file-like socket
// classes call the sockets library only through g_pSocketApi.
#include "platform/kernel/windef.h"
#include "platform/winsock/winsock.h"

// Records of the whole-file transfer entry point.
struct _OVERLAPPED;  // never passed: transfers here are not overlapped
typedef _OVERLAPPED* LPOVERLAPPED;

struct TRANSMIT_FILE_BUFFERS {
  LPVOID Head;
  DWORD HeadLength;
  LPVOID Tail;
  DWORD TailLength;
};
typedef TRANSMIT_FILE_BUFFERS* LPTRANSMIT_FILE_BUFFERS;

typedef BOOL (*LPFN_TRANSMITFILE)(SOCKET hSocket, HANDLE hFile, DWORD nNumberOfBytesToWrite,
                                  DWORD nNumberOfBytesPerSend, LPOVERLAPPED lpOverlapped,
                                  LPTRANSMIT_FILE_BUFFERS lpTransmitBuffers, DWORD dwFlags);

// The protocol record of the protocol look-ups, which nothing calls.
struct protoent;

// Each entry has exactly the parameters and result of the sockets function of
// the same name. Every entry the loader fills is callable: what the DLL does
// not export is a fallback that fails with ERROR_CALL_NOT_IMPLEMENTED. The
// file-like sockets call closesocket, htons, inet_addr, inet_ntoa, ntohs,
// recv, select, send, shutdown, the host and service look-ups,
// WSAGetLastError and __WSAFDIsSet through it. The sockets library offers
// only the calls the program makes, so entries such as accept or listen are
// always their fallbacks.
struct SOCKET_API_TABLE {
  HMODULE m_hLibrary;              // null when no DLL was loaded
  char m_szLibraryName[MAX_PATH];  // empty when no DLL suits the system

  SOCKET (*accept)(SOCKET s, sockaddr* addr, int* addrlen);                        // 1
  int (*bind)(SOCKET s, const sockaddr* name, int namelen);                        // 2
  decltype(&winsock::closesocket) closesocket;                                     // 3
  int (*connect)(SOCKET s, const sockaddr* name, int namelen);                     // 4
  decltype(&winsock::ioctlsocket) ioctlsocket;                                     // 5
  int (*getpeername)(SOCKET s, sockaddr* name, int* namelen);                      // 6
  int (*getsockname)(SOCKET s, sockaddr* name, int* namelen);                      // 7
  int (*getsockopt)(SOCKET s, int level, int optname, char* optval, int* optlen);  // 8
  u_long (*htonl)(u_long hostlong);                                                // 9
  decltype(&winsock::htons) htons;                                                 // 10
  decltype(&winsock::inet_addr) inet_addr;                                         // 11
  decltype(&winsock::inet_ntoa) inet_ntoa;                                         // 12
  int (*listen)(SOCKET s, int backlog);                                            // 13
  u_long (*ntohl)(u_long netlong);                                                 // 14
  decltype(&winsock::ntohs) ntohs;                                                 // 15
  decltype(&winsock::recv) recv;                                                   // 16
  decltype(&winsock::recvfrom) recvfrom;                                           // 17
  decltype(&winsock::select) select;                                               // 18
  decltype(&winsock::send) send;                                                   // 19
  decltype(&winsock::sendto) sendto;                                               // 20
  decltype(&winsock::setsockopt) setsockopt;                                       // 21
  decltype(&winsock::shutdown) shutdown;                                           // 22
  decltype(&winsock::socket) socket;                                               // 23
  decltype(&winsock::gethostbyaddr) gethostbyaddr;                                 // 24
  decltype(&winsock::gethostbyname) gethostbyname;                                 // 25
  int (*gethostname)(char* name, int namelen);                                     // 26
  decltype(&winsock::getservbyport) getservbyport;                                 // 27
  decltype(&winsock::getservbyname) getservbyname;                                 // 28
  protoent* (*getprotobynumber)(int number);                                       // 29
  protoent* (*getprotobyname)(const char* name);                                   // 30
  decltype(&winsock::WSAStartup) WSAStartup;                                       // 31
  decltype(&winsock::WSACleanup) WSACleanup;                                       // 32
  decltype(&winsock::WSASetLastError) WSASetLastError;                             // 33
  decltype(&winsock::WSAGetLastError) WSAGetLastError;                             // 34
  // Positions 35 to 50 are never looked up and stay null. Only 48, the
  // whole-file transfer, has a caller, which treats the empty entry as failure.
  FARPROC m_apfnUnused35To47[13];  // NOLINT(readability-magic-numbers): the 13 positions its name gives
  LPFN_TRANSMITFILE TransmitFile;  // 48
  FARPROC m_apfnUnused49To50[2];
  decltype(&winsock::__WSAFDIsSet) __WSAFDIsSet;  // 51
};

// The table, null while no socket object exists.
extern SOCKET_API_TABLE* g_pSocketApi;
// Live CFileSocket objects; the first one starts the sockets library, the
// last one stops it.
extern int g_nSocketUsers;

// Builds the table if none exists; an existing table is never rebuilt.
void LoadSocketApi();
// Loads the table and starts sockets version 1.1 through it; ends the
// process at once (AfxAbort) when that fails.
void StartupSockets();
// Stops the sockets library, releases the DLL and destroys the table; does
// nothing when no table exists.
void CleanupSockets();
