#include "tests/platform/icmpapi/echo_responder.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/icmpapi/echo_reply_parser.h"

namespace icmpapi_test {
namespace {

constexpr int kWaitForRequestMs = 5000;

struct SeenRequest {
  std::uint32_t from = 0;  // network order
  std::uint32_t to = 0;
  std::uint16_t identifier = 0;
  std::uint16_t sequence = 0;
};

int OpenRawIcmp() {
  const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd < 0) throw std::runtime_error(std::string("responder: raw socket: ") + std::strerror(errno));
  return fd;
}

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

bool ReadRequest(int fd, const std::vector<std::uint8_t>& payload, SeenRequest& seen) {
  pollfd waiting{fd, POLLIN, 0};
  while (::poll(&waiting, 1, kWaitForRequestMs) > 0) {
    std::uint8_t packet[65536];
    const ssize_t n = ::recv(fd, packet, sizeof packet, 0);
    if (n < 28) continue;
    const std::size_t ipHeader = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
    const std::uint8_t* icmp = packet + ipHeader;
    const std::size_t icmpSize = static_cast<std::size_t>(n) - ipHeader;
    if (icmpSize < 8 || icmp[0] != 8 || !std::equal(icmp + 8, icmp + icmpSize, payload.begin(), payload.end())) {
      continue;
    }
    std::memcpy(&seen.from, packet + 12, 4);
    std::memcpy(&seen.to, packet + 16, 4);
    seen.identifier = Read16(icmp + 4);
    seen.sequence = Read16(icmp + 6);
    return true;
  }
  return false;
}

std::vector<std::uint8_t> BuildReply(Reply kind, const SeenRequest& request, const std::vector<std::uint8_t>& payload) {
  std::uint16_t identifier = request.identifier;
  std::uint16_t sequence = request.sequence;
  std::vector<std::uint8_t> data = payload;
  if (kind == Reply::ForeignIdentifier) identifier ^= 0x5A5A;
  if (kind == Reply::WrongSequence) ++sequence;
  if (kind == Reply::CorruptPayload) data[data.size() / 2] ^= 0x01;
  if (kind == Reply::TruncatedPayload) data.resize(data.size() / 2);
  std::vector<std::uint8_t> packet(8 + data.size(), 0);
  packet[4] = static_cast<std::uint8_t>(identifier >> 8);
  packet[5] = static_cast<std::uint8_t>(identifier);
  packet[6] = static_cast<std::uint8_t>(sequence >> 8);
  packet[7] = static_cast<std::uint8_t>(sequence);
  std::copy(data.begin(), data.end(), packet.begin() + 8);
  std::uint16_t checksum = icmpapi::InternetChecksum(packet);
  if (kind == Reply::BadChecksum) checksum ^= 0x0100;
  packet[2] = static_cast<std::uint8_t>(checksum >> 8);
  packet[3] = static_cast<std::uint8_t>(checksum);
  return packet;
}

bool SendTo(int fd, std::uint32_t address, const std::vector<std::uint8_t>& packet) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = address;
  return ::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
         static_cast<ssize_t>(packet.size());
}

}  // namespace

EchoResponder::EchoResponder(std::uint32_t wrongSource)
    : m_listener(OpenRawIcmp()), m_wrongSourceSender(OpenRawIcmp()) {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = wrongSource;
  if (::bind(m_wrongSourceSender, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    throw std::runtime_error(std::string("responder: bind: ") + std::strerror(errno));
  }
}

EchoResponder::~EchoResponder() {
  if (m_thread.joinable()) m_thread.join();
  ::close(m_listener);
  ::close(m_wrongSourceSender);
}

void EchoResponder::Start(std::vector<Reply> script, std::vector<std::uint8_t> payload,
                          std::chrono::milliseconds delay) {
  m_thread = std::thread(
      [this, script = std::move(script), payload = std::move(payload), delay] { Serve(script, payload, delay); });
}

int EchoResponder::Finish() {
  if (m_thread.joinable()) m_thread.join();
  return m_sent;
}

void EchoResponder::Serve(const std::vector<Reply>& script, const std::vector<std::uint8_t>& payload,
                          std::chrono::milliseconds delay) {
  SeenRequest request;
  if (!ReadRequest(m_listener, payload, request)) return;
  std::this_thread::sleep_for(delay);
  m_sent = 0;
  for (const Reply kind : script) {
    // Replies come from the address the request went to, except the one
    // that pretends to be another host.
    const int sender = kind == Reply::WrongSource ? m_wrongSourceSender : m_listener;
    if (SendTo(sender, request.from, BuildReply(kind, request, payload))) ++m_sent;
  }
}

ForeignIcmpFlood::ForeignIcmpFlood(std::uint32_t destination) : m_fd(OpenRawIcmp()) {
  SeenRequest nobody;
  nobody.identifier = 0xF00D;
  const std::vector<std::uint8_t> data(56, 0x5A);
  m_thread = std::thread([this, destination, nobody, data]() mutable {
    while (!m_stop.load()) {
      ++nobody.sequence;
      if (SendTo(m_fd, destination, BuildReply(Reply::Correct, nobody, data))) ++m_sent;
    }
  });
}

ForeignIcmpFlood::~ForeignIcmpFlood() {
  m_stop = true;
  m_thread.join();
  ::close(m_fd);
}

}  // namespace icmpapi_test
