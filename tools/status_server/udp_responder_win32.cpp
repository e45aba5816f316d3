#include <winsock2.h>
#include <ws2tcpip.h>
#include <mswsock.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "tools/status_server/request_answer.h"
#include "tools/status_server/stop_signals_win32.h"
#include "tools/status_server/udp_responder.h"

// The responder over Windows Sockets: the socket signals an event
// (WSAEventSelect), and the wait watches it and the stop event together.
// WSARecvMsg tells the address each request was sent to and WSASendMsg
// names it as the answer's source (IP_PKTINFO both ways), so that a server
// bound to 0.0.0.0 answers as the host that was asked. Wine (8.0) ignores
// the source on sending: there the answers leave from the route's address.
namespace status_server {
namespace {

// Asked for, so that a burst of requests (a client asking a thousand
// servers) is not dropped; the system may give less.
constexpr int kReceiveBufferBytes = 1 << 20;
constexpr int kDatagramsPerWake = 256;

std::string EndpointText(const sockaddr_in& address) {
  return status_server::EndpointText(ntohl(address.sin_addr.s_addr), ntohs(address.sin_port));
}

// The POSIX words for the socket errors a server meets when it sets up,
// for systems whose message table lacks them (Wine has none for these).
const char* SocketErrorWords(int error) {
  switch (error) {
    case WSAEADDRINUSE: return "Address already in use";
    case WSAEADDRNOTAVAIL: return "Cannot assign requested address";
    case WSAEACCES: return "Permission denied";
    case WSAENOBUFS: return "No buffer space available";
    case WSAEMFILE: return "Too many open files";
    case WSAENETDOWN: return "Network is down";
    default: return nullptr;
  }
}

// The system's text for an error, in UTF-8 like the rest of the output
// (a translated system words it in letters its ANSI code page may lack).
std::string ErrorText(int error) {
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string reason;
  if (text != nullptr && length > 0) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    reason.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), reason.data(), size, nullptr, nullptr);
  }
  LocalFree(text);
  while (!reason.empty() &&
         (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.' || reason.back() == ' ')) {
    reason.pop_back();
  }
  if (!reason.empty()) return reason;
  const char* words = SocketErrorWords(error);
  return words != nullptr ? words : "error " + std::to_string(error);
}

// The program's name as its other messages give it.
std::string g_programName = "quillmar-status-server.exe";

void ReportFailure(const char* what, const std::string& detail, int error) {
  std::fprintf(stderr, "%s: %s %s: %s\n", g_programName.c_str(), what, detail.c_str(), ErrorText(error).c_str());
}

// The socket and what it takes to use it.
struct Responder {
  SOCKET socket = INVALID_SOCKET;
  WSAEVENT readable = WSA_INVALID_EVENT;
  LPFN_WSARECVMSG receiveMessage = nullptr;
  sockaddr_in bound{};

  ~Responder() {
    if (socket != INVALID_SOCKET) closesocket(socket);
    if (readable != WSA_INVALID_EVENT) WSACloseEvent(readable);
  }
};

LPFN_WSARECVMSG FindReceiveMessage(SOCKET s) {
  GUID id = WSAID_WSARECVMSG;
  LPFN_WSARECVMSG function = nullptr;
  DWORD size = 0;
  if (WSAIoctl(s, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &function, sizeof function, &size, nullptr,
               nullptr) != 0) {
    return nullptr;
  }
  return function;
}

// Binds the socket and ties it to an event; false after reporting why not.
bool SetUp(const ServerOptions& options, Responder& responder) {
  const std::string where = options.bindAddress + ":" + std::to_string(options.port);
  responder.socket = WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (responder.socket == INVALID_SOCKET) {
    ReportFailure("cannot create a socket for", options.bindAddress, WSAGetLastError());
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(options.port);
  inet_pton(AF_INET, options.bindAddress.c_str(), &address.sin_addr);
  const DWORD on = 1;
  const int size = kReceiveBufferBytes;
  setsockopt(responder.socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
  int length = sizeof responder.bound;
  if (bind(responder.socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(responder.socket, reinterpret_cast<sockaddr*>(&responder.bound), &length) != 0) {
    ReportFailure("cannot bind", where, WSAGetLastError());
    return false;
  }
  responder.receiveMessage = FindReceiveMessage(responder.socket);
  responder.readable = WSACreateEvent();
  if (setsockopt(responder.socket, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on), sizeof on) != 0 ||
      responder.receiveMessage == nullptr || responder.readable == WSA_INVALID_EVENT ||
      WSAEventSelect(responder.socket, responder.readable, FD_READ) != 0) {
    ReportFailure("cannot receive requests on", where, WSAGetLastError());
    return false;
  }
  return true;
}

// One request: who sent it, and to which of our addresses.
struct ReceivedRequest {
  sockaddr_in sender{};
  in_addr localAddress{};
  int size = -1;  // -1: nothing was waiting
};

// Reads one datagram with the address it was sent to.
ReceivedRequest ReceiveRequest(const Responder& responder, std::vector<char>& buffer) {
  ReceivedRequest request;
  WSABUF data{static_cast<ULONG>(buffer.size()), buffer.data()};
  alignas(WSACMSGHDR) char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
  WSAMSG message{};
  message.name = reinterpret_cast<sockaddr*>(&request.sender);
  message.namelen = sizeof request.sender;
  message.lpBuffers = &data;
  message.dwBufferCount = 1;
  message.Control = {sizeof control, control};
  DWORD received = 0;
  if (responder.receiveMessage(responder.socket, &message, &received, nullptr, nullptr) != 0) {
    // A reply of ours that found no one there comes back as a reset; it
    // says nothing about the next request.
    if (WSAGetLastError() == WSAECONNRESET) request.size = 0;
    return request;
  }
  request.size = static_cast<int>(received);
  for (WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message); c != nullptr; c = WSA_CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
      IN_PKTINFO info{};
      std::memcpy(&info, WSA_CMSG_DATA(c), sizeof info);
      request.localAddress = info.ipi_addr;
    }
  }
  return request;
}

// Sends from the address the request went to, so that a server bound to
// 0.0.0.0 answers as the host that was asked.
bool SendAnswer(SOCKET s, const ReceivedRequest& request, const std::string& reply) {
  WSABUF data{static_cast<ULONG>(reply.size()), const_cast<char*>(reply.data())};
  alignas(WSACMSGHDR) char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
  WSAMSG message{};
  sockaddr_in target = request.sender;
  message.name = reinterpret_cast<sockaddr*>(&target);
  message.namelen = sizeof target;
  message.lpBuffers = &data;
  message.dwBufferCount = 1;
  if (request.localAddress.s_addr != INADDR_ANY) {
    message.Control = {sizeof control, control};
    WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = WSA_CMSG_LEN(sizeof(IN_PKTINFO));
    IN_PKTINFO info{};
    info.ipi_addr = request.localAddress;
    std::memcpy(WSA_CMSG_DATA(c), &info, sizeof info);
  }
  DWORD sent = 0;
  return WSASendMsg(s, &message, 0, &sent, nullptr, nullptr) == 0;
}

// Answers what has arrived, unless a datagram is empty or we are silent
// (for its address). Returns false when nothing was waiting.
bool AnswerOneDatagram(const Responder& responder, const ServerOptions& options, const std::string& reply,
                       std::vector<char>& buffer) {
  const ReceivedRequest request = ReceiveRequest(responder, buffer);
  if (request.size < 0) return false;
  if (request.size == 0) return true;  // an empty datagram
  LogRequest(options, EndpointText(request.sender),
             std::string_view(buffer.data(), static_cast<std::size_t>(request.size)));
  const std::optional<std::string> answer = AnswerFor(options, ntohl(request.localAddress.s_addr), reply);
  if (!answer) return true;
  if (!SendAnswer(responder.socket, request, *answer)) {
    ReportFailure("cannot answer", EndpointText(request.sender), WSAGetLastError());
  }
  return true;
}

// Returns true when it read everything that was waiting.
bool AnswerWaitingDatagrams(const Responder& responder, const ServerOptions& options, const std::string& reply) {
  std::vector<char> buffer(65536);
  for (int i = 0; i < kDatagramsPerWake; ++i) {
    if (!AnswerOneDatagram(responder, options, reply, buffer)) return true;
  }
  return false;
}

int Serve(const ServerOptions& options, const std::string& reply, HANDLE stop) {
  Responder responder;
  if (!SetUp(options, responder)) return 1;
  std::printf("listening on %s\n", EndpointText(responder.bound).c_str());
  std::fflush(stdout);
  const HANDLE watched[2] = {stop, responder.readable};
  bool drained = true;
  for (;;) {
    // With datagrams left over from the last round, only look for a stop.
    const DWORD woken = WaitForMultipleObjects(2, watched, FALSE, drained ? INFINITE : 0);
    if (woken == WAIT_OBJECT_0) return 0;
    if (woken == WAIT_FAILED) {
      ReportFailure("cannot wait on", EndpointText(responder.bound), static_cast<int>(GetLastError()));
      return 1;
    }
    WSAResetEvent(responder.readable);
    drained = AnswerWaitingDatagrams(responder, options, reply);
  }
}

}  // namespace

int RunResponder(const std::string& programName, const ServerOptions& options, const std::string& reply) {
  g_programName = programName;
  // Watch for stop requests before announcing readiness, so that one sent
  // right after the ready line is never lost.
  const HANDLE stop = WatchStopRequests();
  if (stop == nullptr) {
    ReportFailure("cannot watch stop requests for", options.bindAddress, static_cast<int>(GetLastError()));
    return 1;
  }
  WSADATA data{};
  if (const int error = WSAStartup(MAKEWORD(2, 2), &data); error != 0) {
    ReportFailure("cannot start Windows Sockets for", options.bindAddress, error);
    return 1;
  }
  const int status = Serve(options, reply, stop);
  WSACleanup();
  return status;
}

}  // namespace status_server
