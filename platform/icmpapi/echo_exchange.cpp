#include "platform/icmpapi/echo_exchange.h"

#include <sys/socket.h>

#include <cerrno>

#include "platform/icmpapi/echo_socket_flights.h"
#include "platform/kernel/last_error.h"

namespace icmpapi {
namespace {

// Enough to empty a full receive buffer of stale packets before sending.
constexpr int kMaxStaleReads = 4096;

void DiscardPending(int fd) {
  std::uint8_t scrap[512];
  for (int i = 0; i < kMaxStaleReads && ::recv(fd, scrap, sizeof scrap, MSG_DONTWAIT | MSG_ERRQUEUE) >= 0; ++i) {
  }
  for (int i = 0; i < kMaxStaleReads && ::recv(fd, scrap, sizeof scrap, MSG_DONTWAIT) >= 0; ++i) {
  }
}

}  // namespace

EchoStart ToEchoStart(const EchoRequest& request, std::uint64_t tag) {
  EchoStart start;
  start.tag = tag;
  start.destination = request.destination;
  start.payload.assign(request.payload.begin(), request.payload.end());
  start.timeoutMs = request.timeoutMs;
  return start;
}

EchoResult ExchangeEcho(EchoSocket& socket, const EchoRequest& request) {
  DiscardPending(socket.fd());
  SocketEchoFlights flights(socket);
  flights.Start(ToEchoStart(request, 0));
  // The echo ends by its own deadline at the latest.
  while (!flights.HasEnded()) {
    if (!WaitForEnded(flights, EchoClock::time_point::max())) {
      EchoResult failed;
      failed.status = kernel::SystemErrorFromErrno(errno);
      return failed;
    }
  }
  return flights.TakeEnded().front();
}

}  // namespace icmpapi
