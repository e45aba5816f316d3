// bench_receive_timeout: the status exchange of the query against a server
// that stays silent, timed: the 4-byte request goes out with CBlockingSocket
// and the 5-second receive wait runs out. Prints how long each wait took.
//
//   bench_receive_timeout [--count N] ADDRESS PORT
//
// Exit status 1 when a wait ends otherwise than by the time-out (a reply, or
// another error).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/monotonic_clock.h"
#include "bench/stats.h"
#include "protocol/blocking_socket.h"

namespace {

constexpr int kSendSeconds = 2;
constexpr int kReceiveSeconds = 5;

// Sends the request, then waits for the reply; returns the wait's wall time
// in milliseconds, or a negative value when it ended by anything but the
// time-out.
double TimedReceiveWait(const sockaddr_in& server) {
  CBlockingSocket socket;
  char reply[1024];
  double waitedMs = -1;
  try {
    socket.Create(SOCK_DGRAM);
    socket.SendDatagram("anyt", 4, &server, kSendSeconds);
    const std::int64_t start = bench::MonotonicNanoseconds();
    try {
      socket.ReceiveDatagram(reply, sizeof reply, nullptr, kReceiveSeconds);
      std::fprintf(stderr, "bench_receive_timeout: the server answered\n");
    } catch (CBlockingSocketException* e) {
      waitedMs = bench::MillisecondsBetween(start, bench::MonotonicNanoseconds());
      std::printf("wait ended: %s, wall %.3f ms\n", static_cast<LPCSTR>(e->m_strMessage), waitedMs);
      e->Delete();
    }
  } catch (CBlockingSocketException* e) {
    std::fprintf(stderr, "bench_receive_timeout: %s error #%d\n", static_cast<LPCSTR>(e->m_strMessage), e->m_nError);
    e->Delete();
  }
  if (socket.m_hSocket != 0) closesocket(socket.m_hSocket);
  return waitedMs;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 3;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--count") == 0) {
    count = std::atoi(argv[2]);
    first = 3;
  }
  if (argc - first != 2 || count < 1) {
    std::fprintf(stderr, "usage: bench_receive_timeout [--count N] ADDRESS PORT\n");
    return 2;
  }
  WSADATA data{};
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 1;
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(static_cast<u_short>(std::atoi(argv[first + 1])));
  server.sin_addr.s_addr = inet_addr(argv[first]);
  std::vector<double> waits;
  bool allTimedOut = true;
  for (int i = 0; i < count; ++i) {
    const double waitedMs = TimedReceiveWait(server);
    allTimedOut = allTimedOut && waitedMs >= 0;
    if (waitedMs >= 0) waits.push_back(waitedMs);
  }
  bench::PrintSummary(stdout, "receive-timeout wall", bench::Summarise(waits), "ms");
  WSACleanup();
  return allTimedOut ? 0 : 1;
}
