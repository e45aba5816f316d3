// Registers the sockets library as the loadable modules "ws2_32.dll" and
// "wsock32.dll", so that code binding its entry points at run time finds them.
#include "platform/kernel/modules.h"
#include "platform/winsock/winsock.h"

extern "C" {
int vq_winsock_module_anchor = 0;
}

namespace {

using kernel::AsFarProc;

// Every call of the library, under its own name; what the binding table
// looks up besides (accept, listen and the like) is not there, and the table
// puts its fallback in its place.
std::vector<kernel::ModuleExport> SocketExports() {
  using SelectFunction = int(int, WSA_FD_SET*, WSA_FD_SET*, WSA_FD_SET*, const timeval*);
  return {
      {"closesocket", AsFarProc(&winsock::closesocket)},
      {"ioctlsocket", AsFarProc(&winsock::ioctlsocket)},
      {"htons", AsFarProc(&winsock::htons)},
      {"inet_addr", AsFarProc(&winsock::inet_addr)},
      {"inet_ntoa", AsFarProc(&winsock::inet_ntoa)},
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
      {"getservbyport", AsFarProc(&winsock::getservbyport)},
      {"getservbyname", AsFarProc(&winsock::getservbyname)},
      {"WSAStartup", AsFarProc(&winsock::WSAStartup)},
      {"WSACleanup", AsFarProc(&winsock::WSACleanup)},
      {"WSASetLastError", AsFarProc(&winsock::WSASetLastError)},
      {"WSAGetLastError", AsFarProc(&winsock::WSAGetLastError)},
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
