// bench_echo_responder: answers ICMP echo requests itself, each after a
// chosen delay, so that a known round-trip time can be set against what
// echo tools report. Meant for a private network namespace whose kernel
// answers no echo (net.ipv4.icmp_echo_ignore_all=1); needs a raw socket
// (root or CAP_NET_RAW).
//
//   bench_echo_responder --delay-ms D
//
// Prints "answering after D ms" once its socket is open, then answers until
// it is stopped with a signal.
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

std::uint16_t InternetChecksum(const unsigned char* data, std::size_t size) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 1 < size; i += 2) sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
  if (size % 2 == 1) sum += static_cast<std::uint32_t>(data[size - 1] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

// The moment the request arrived plus the delay, on the monotonic clock, so
// that the time spent turning the request round counts as part of the delay.
timespec DueTime(long delayMs) {
  timespec due{};
  clock_gettime(CLOCK_MONOTONIC, &due);
  due.tv_sec += delayMs / 1000;
  due.tv_nsec += (delayMs % 1000) * 1'000'000;
  if (due.tv_nsec >= 1'000'000'000) {
    due.tv_sec += 1;
    due.tv_nsec -= 1'000'000'000;
  }
  return due;
}

void WaitUntil(const timespec& due) {
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
  }
}

// Turns the echo request at the start of `icmp` into its reply, in place.
void MakeReply(unsigned char* icmp, std::size_t size) {
  icmp[0] = ICMP_ECHOREPLY;
  icmp[1] = 0;
  icmp[2] = icmp[3] = 0;
  const std::uint16_t checksum = InternetChecksum(icmp, size);
  icmp[2] = static_cast<unsigned char>(checksum >> 8);
  icmp[3] = static_cast<unsigned char>(checksum & 0xFF);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::strcmp(argv[1], "--delay-ms") != 0) {
    std::fprintf(stderr, "usage: bench_echo_responder --delay-ms D\n");
    return 2;
  }
  const long delayMs = std::strtol(argv[2], nullptr, 10);
  const int sock = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (sock < 0) {
    std::perror("bench_echo_responder: raw ICMP socket");
    return 1;
  }
  std::printf("answering after %ld ms\n", delayMs);
  std::fflush(stdout);
  unsigned char packet[65536];
  for (;;) {
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t got = ::recvfrom(sock, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (got < 0) {
      if (errno == EINTR) continue;
      std::perror("bench_echo_responder: recvfrom");
      return 1;
    }
    const timespec due = DueTime(delayMs);
    // A raw socket delivers the IP header too; our own replies come back as
    // well and are passed over.
    const std::size_t headerSize = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
    if (static_cast<std::size_t>(got) < headerSize + ICMP_MINLEN || packet[headerSize] != ICMP_ECHO) continue;
    unsigned char* icmp = packet + headerSize;
    const std::size_t icmpSize = static_cast<std::size_t>(got) - headerSize;
    MakeReply(icmp, icmpSize);
    WaitUntil(due);
    if (::sendto(sock, icmp, icmpSize, 0, reinterpret_cast<sockaddr*>(&from), fromSize) < 0) {
      std::perror("bench_echo_responder: sendto");
    }
  }
}
