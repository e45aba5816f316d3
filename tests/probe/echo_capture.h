#pragma once
// POSIX-side helpers for the echo tests, kept apart from the sockets names
// of the program's own headers.
#include <cstdint>
#include <vector>

namespace icmpapi_test {

struct CapturedRequest {
  int ttl = 0;                     // from the IP header
  std::vector<std::uint8_t> data;  // the echo data after the ICMP header
};

// A raw ICMP socket that sees the echo requests of the namespace it was
// opened in. Open it before the requests are sent.
class EchoRequestCapture {
 public:
  EchoRequestCapture();
  ~EchoRequestCapture();
  EchoRequestCapture(const EchoRequestCapture&) = delete;
  EchoRequestCapture& operator=(const EchoRequestCapture&) = delete;

  bool IsOpen() const { return m_fd >= 0; }
  // The echo requests received so far; never waits.
  std::vector<CapturedRequest> Requests();

 private:
  int m_fd;
};

}  // namespace icmpapi_test
