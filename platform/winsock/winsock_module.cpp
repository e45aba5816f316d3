// Registers the sockets library as the loadable modules "ws2_32.dll" and
// "wsock32.dll", so that code binding its entry points at run time finds them.
#include "platform/kernel/modules.h"
#include "platform/winsock/winsock.h"

extern "C" {
int vq_winsock_module_anchor = 0;
}

namespace {

using kernel::AsFarProc;

std::vector<kernel::ModuleExport> SocketExports() {
  using SelectFunction = int(int, WSA_FD_SET*, WSA_FD_SET*, WSA_FD_SET*, const timeval*);
  using HostNameFunction = int(char*, int);
  return {
      {"accept", AsFarProc(&winsock::accept)},
      {"bind", AsFarProc(&winsock::bind)},
      {"closesocket", AsFarProc(&winsock::closesocket)},
      {"connect", AsFarProc(&winsock::connect)},
      {"ioctlsocket", AsFarProc(&winsock::ioctlsocket)},
      {"getpeername", AsFarProc(&winsock::getpeername)},
      {"getsockname", AsFarProc(&winsock::getsockname)},
      {"getsockopt", AsFarProc(&winsock::getsockopt)},
      {"htonl", AsFarProc(&winsock::htonl)},
      {"htons", AsFarProc(&winsock::htons)},
      {"inet_addr", AsFarProc(&winsock::inet_addr)},
      {"inet_ntoa", AsFarProc(&winsock::inet_ntoa)},
      {"listen", AsFarProc(&winsock::listen)},
      {"ntohl", AsFarProc(&winsock::ntohl)},
      {"ntohs", AsFarProc(&winsock::ntohs)},
      {"recv", AsFarProc(&winsock::recv)},
      {"recvfrom", AsFarProc(&winsock::recvfrom)},
      {"select", AsFarProc(static_cast<SelectFunction*>(&winsock::select))},
      {"send", AsFarProc(&winsock::send)},
      {"sendto", AsFarProc(&winsock::sendto)},
      {"setsockopt", AsFarProc(&winsock::setsockopt)},
      {"shutdown", AsFarProc(&winsock::shutdown)},
      {"socket", AsFarProc(&winsock::socket)},
      {"gethostbyaddr", AsFarProc(&winsock::gethostbyaddr)},
      {"gethostbyname", AsFarProc(&winsock::gethostbyname)},
      {"gethostname", AsFarProc(static_cast<HostNameFunction*>(&winsock::gethostname))},
      {"getservbyport", AsFarProc(&winsock::getservbyport)},
      {"getservbyname", AsFarProc(&winsock::getservbyname)},
      {"getprotobynumber", AsFarProc(&winsock::getprotobynumber)},
      {"getprotobyname", AsFarProc(&winsock::getprotobyname)},
      {"WSAStartup", AsFarProc(&winsock::WSAStartup)},
      {"WSACleanup", AsFarProc(&winsock::WSACleanup)},
      {"WSASetLastError", AsFarProc(&winsock::WSASetLastError)},
      {"WSAGetLastError", AsFarProc(&winsock::WSAGetLastError)},
      {"WSASetBlockingHook", AsFarProc(&winsock::WSASetBlockingHook)},
      {"WSAUnhookBlockingHook", AsFarProc(&winsock::WSAUnhookBlockingHook)},
      {"WSAIsBlocking", AsFarProc(&winsock::WSAIsBlocking)},
      {"__WSAFDIsSet", AsFarProc(&winsock::__WSAFDIsSet)},
  };
}

struct Registration {
  Registration() {
    kernel::RegisterBuiltinModule("ws2_32.dll", SocketExports());
    kernel::RegisterBuiltinModule("wsock32.dll", SocketExports());
  }
};

const Registration g_registration;

}  // namespace
