#include <gtest/gtest.h>

#include "platform/kernel/modules.h"
#include "platform/winsock/winsock.h"

namespace {

// What the file-like sockets and the program call.
const char* const kExports[] = {
    "closesocket",     "ioctlsocket",   "htons",         "inet_addr",     "inet_ntoa",  "ntohs",      "recv",
    "recvfrom",        "select",        "send",          "sendto",        "setsockopt", "shutdown",   "socket",
    "gethostbyaddr",   "gethostbyname", "getservbyport", "getservbyname", "WSAStartup", "WSACleanup", "WSASetLastError",
    "WSAGetLastError", "__WSAFDIsSet"};

// Looked up by the binding table, called by nothing: not offered.
const char* const kAbsent[] =
    {"accept", "bind",  "connect",     "getpeername",      "getsockname",    "getsockopt",         "htonl",
     "listen", "ntohl", "gethostname", "getprotobynumber", "getprotobyname", "WSASetBlockingHook", "TransmitFile"};

}  // namespace

TEST(WinsockModules, BothLibrariesExportTheCallsInUseByName) {
  for (const char* library : {"WS2_32.DLL", "wsock32.dll"}) {
    HMODULE module = LoadLibraryA(library);
    ASSERT_NE(module, nullptr) << library;
    for (const char* name : kExports) EXPECT_NE(GetProcAddress(module, name), nullptr) << library << ' ' << name;
    for (const char* name : kAbsent) EXPECT_EQ(GetProcAddress(module, name), nullptr) << library << ' ' << name;
    EXPECT_EQ(GetProcAddress(module, "wsastartup"), nullptr);  // export names are exact
    EXPECT_TRUE(FreeLibrary(module));
  }
}

TEST(WinsockModules, EntryPointsAreTheLibraryFunctions) {
  HMODULE module = LoadLibraryA("ws2_32.dll");
  ASSERT_NE(module, nullptr);
  using Htons = u_short (*)(u_short);
  using InetAddr = u_long (*)(const char*);
  auto htonsEntry = reinterpret_cast<Htons>(reinterpret_cast<void (*)()>(GetProcAddress(module, "htons")));
  auto inetAddrEntry = reinterpret_cast<InetAddr>(reinterpret_cast<void (*)()>(GetProcAddress(module, "inet_addr")));
  EXPECT_EQ(htonsEntry(6971), htons(6971));
  EXPECT_EQ(inetAddrEntry("127.0.0.1"), inet_addr("127.0.0.1"));
  FreeLibrary(module);
}
