#include "query/status_round.h"

#include <algorithm>

#include "protocol/blocking_socket.h"
#include "protocol/status_request.h"
#include "query/socket_failure_text.h"

namespace {

using Clock = CStatusRound::Clock;

constexpr auto kSendWait = std::chrono::seconds(2);
constexpr auto kReplyWait = std::chrono::seconds(5);
// Before a request whose send would block is tried again.
constexpr auto kBlockedPause = std::chrono::microseconds(500);
constexpr std::size_t kExchangesPerSocket = 128;
constexpr std::size_t kMaxSockets = 16;
constexpr int kReceiveBufferBytes = 1 << 20;  // asked for; the system may give less
constexpr std::size_t kReadsPerWake = 256;

std::uint64_t KeyOf(const sockaddr_in& address) {
  return (static_cast<std::uint64_t>(address.sin_addr.s_addr) << 16) | address.sin_port;
}

}  // namespace

CStatusRound::CStatusRound(std::size_t nParallel, DoneCallback onDone)
    : m_parallel(std::max<std::size_t>(nParallel, 1)), m_onDone(std::move(onDone)) {}

CStatusRound::~CStatusRound() {
  for (RoundSocket& socket : m_sockets) closesocket(socket.handle);
}

// Enough sockets for the exchanges allowed at once.
std::size_t CStatusRound::SocketCount() const {
  const std::size_t atOnce = std::min(m_parallel, m_waiting.size() + m_inFlight);
  return std::clamp<std::size_t>((atOnce + kExchangesPerSocket - 1) / kExchangesPerSocket, 1, kMaxSockets);
}

void CStatusRound::Add(const sockaddr_in& destination) {
  m_destinations.push_back(destination);
  m_socketOf.push_back(-1);
  m_waiting.push_back(m_destinations.size() - 1);
  OpenSockets();
}

void CStatusRound::OpenSockets() {
  while (m_sockets.size() < SocketCount()) {
    RoundSocket socket;
    socket.handle = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socket.handle == INVALID_SOCKET) break;
    u_long nonBlocking = 1;
    ioctlsocket(socket.handle, FIONBIO, &nonBlocking);
    const int size = kReceiveBufferBytes;
    setsockopt(socket.handle, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    m_sockets.push_back(std::move(socket));
  }
  if (!m_sockets.empty()) return;
  const CString failure = SocketFailureText("Create", WSAGetLastError());
  while (!m_waiting.empty()) {
    const std::size_t exchange = m_waiting.front();
    m_waiting.pop_front();
    Fail(exchange, failure);
  }
}

bool CStatusRound::CanSend(Clock::time_point now) const {
  return !m_sockets.empty() && !m_waiting.empty() && m_inFlight < m_parallel && now >= m_retryAt;
}

void CStatusRound::SendNext(Clock::time_point now) {
  const std::size_t exchange = m_waiting.front();
  m_waiting.pop_front();
  if (TrySend(exchange, now) == SendResult::Blocked) {
    m_waiting.push_front(exchange);
    m_retryAt = now + kBlockedPause;
  }
}

Clock::time_point CStatusRound::NextSendAt() const {
  if (m_sockets.empty() || m_waiting.empty() || m_inFlight >= m_parallel) return Clock::time_point::max();
  return m_retryAt;
}

Clock::time_point CStatusRound::NextDeadline() const {
  return m_deadlines.empty() ? Clock::time_point::max() : m_deadlines.top().when;
}

CStatusRound::SendResult CStatusRound::TrySend(std::size_t exchange, Clock::time_point now) {
  const sockaddr_in& destination = m_destinations[exchange];
  const auto [first, inserted] = m_firstTry.try_emplace(exchange, now);
  if (now - first->second >= kSendWait) return Fail(exchange, SocketFailureText(kSendTimeoutText, 0));
  RoundSocket& socket = NextSocket();
  const int sent = sendto(socket.handle, kStatusRequestText.data(), static_cast<int>(kStatusRequestLength), 0,
                          reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
  if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return SendResult::Blocked;
  m_firstTry.erase(first);
  if (sent == SOCKET_ERROR) return Fail(exchange, SocketFailureText("SendDatagram", WSAGetLastError()));
  socket.inFlight.emplace(KeyOf(destination), exchange);
  m_socketOf[exchange] = static_cast<int>(&socket - m_sockets.data());
  m_deadlines.push({now + kReplyWait, exchange});
  ++m_inFlight;
  return SendResult::Sent;
}

CStatusRound::SendResult CStatusRound::Fail(std::size_t exchange, const CString& failure) {
  StatusExchange result;
  result.strFailure = failure;
  m_onDone(exchange, std::move(result));
  return SendResult::Failed;
}

CStatusRound::RoundSocket& CStatusRound::NextSocket() {
  RoundSocket& socket = m_sockets[m_nextSocket];
  m_nextSocket = (m_nextSocket + 1) % m_sockets.size();
  return socket;
}

std::vector<SOCKET> CStatusRound::WaitingSockets() const {
  std::vector<SOCKET> sockets;
  for (const RoundSocket& socket : m_sockets) {
    if (!socket.inFlight.empty()) sockets.push_back(socket.handle);
  }
  return sockets;
}

std::size_t CStatusRound::Read(SOCKET handle) {
  const auto found =
      std::find_if(m_sockets.begin(), m_sockets.end(), [handle](const RoundSocket& s) { return s.handle == handle; });
  if (found == m_sockets.end()) return 0;
  RoundSocket& socket = *found;
  char buffer[kStatusReplyBufferSize];
  std::size_t read = 0;
  for (; read < kReadsPerWake && !socket.inFlight.empty(); ++read) {
    sockaddr_in sender{};
    int senderLength = sizeof sender;
    const int received = recvfrom(socket.handle, buffer, static_cast<int>(sizeof buffer), 0,
                                  reinterpret_cast<sockaddr*>(&sender), &senderLength);
    const int error = received == SOCKET_ERROR ? WSAGetLastError() : 0;
    if (error == WSAEWOULDBLOCK) break;
    if (error != 0 && error != WSAEMSGSIZE) continue;  // nothing to tell whose it was
    const auto match = socket.inFlight.find(KeyOf(sender));
    if (match == socket.inFlight.end()) continue;  // not from a server asked on this socket
    StatusExchange result;
    if (error == WSAEMSGSIZE) {
      result.strFailure = SocketFailureText("ReceiveDatagram", error);
    } else {
      result.reply.assign(buffer, buffer + received);
      result.replied = true;
    }
    Finish(socket, match->second, std::move(result));
  }
  return read;
}

void CStatusRound::Finish(RoundSocket& socket, std::size_t exchange, StatusExchange&& result) {
  socket.inFlight.erase(KeyOf(m_destinations[exchange]));
  m_socketOf[exchange] = -1;
  --m_inFlight;
  m_onDone(exchange, std::move(result));
}

// Silence until the end of a reply wait.
void CStatusRound::Expire(Clock::time_point now) {
  while (!m_deadlines.empty() && m_deadlines.top().when <= now) {
    const std::size_t exchange = m_deadlines.top().exchange;
    m_deadlines.pop();
    const int socketIndex = m_socketOf[exchange];
    if (socketIndex < 0) continue;  // answered meanwhile
    StatusExchange result;
    result.strFailure = SocketFailureText(kReceiveTimeoutText, 0);
    Finish(m_sockets[static_cast<std::size_t>(socketIndex)], exchange, std::move(result));
  }
}
