#include "platform/icmpapi/echo_batch.h"

#include <utility>

#include "platform/icmpapi/echo_helper_process.h"
#include "platform/icmpapi/echo_socket_flights.h"
#include "platform/icmpapi/echo_transport.h"
#include "platform/kernel/handle_table.h"

namespace icmpapi {
namespace {

EchoOutcome ToOutcome(const EchoResult& result) {
  EchoOutcome outcome;
  outcome.tag = static_cast<std::size_t>(result.tag);
  outcome.status = result.status;
  outcome.replyAddress = result.address;
  outcome.roundTripMs = WholeMilliseconds(result.roundTripMicroseconds);
  outcome.roundTripMicroseconds = result.roundTripMicroseconds;
  outcome.ttl = result.ttl;
  return outcome;
}

}  // namespace

std::unique_ptr<EchoBatch> EchoBatch::Open(OpenFailureInfo& failure) {
  std::shared_ptr<EchoSocket> socket = OpenEchoTransport(failure);
  if (!socket) return nullptr;
  std::unique_ptr<EchoFlights> own;
  if (socket->helper() == nullptr) own = std::make_unique<SocketEchoFlights>(*socket);
  return std::unique_ptr<EchoBatch>(new EchoBatch(std::move(socket), std::move(own)));
}

EchoBatch::EchoBatch(std::shared_ptr<EchoSocket> socket, std::unique_ptr<EchoFlights> ownFlights)
    : m_socket(std::move(socket)),
      m_ownFlights(std::move(ownFlights)),
      m_flights(m_ownFlights ? m_ownFlights.get() : m_socket->helper()) {}

EchoBatch::~EchoBatch() = default;

void EchoBatch::Start(std::size_t tag, IPAddr destination, const void* data, WORD size, DWORD timeoutMs) {
  EchoOutcome refused;
  refused.tag = tag;
  if (data == nullptr && size != 0) {
    refused.status = ERROR_INVALID_PARAMETER;
  } else if (IsNeverSentDestination(destination)) {
    refused.status = IP_BAD_DESTINATION;
  } else {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    EchoStart start;
    start.tag = tag;
    start.destination = destination;
    start.payload.assign(bytes, bytes + size);
    start.timeoutMs = timeoutMs;
    m_flights->Start(std::move(start));
    TakeEnded();  // a send that failed at once
    return;
  }
  m_ready.push_back(refused);
}

std::vector<EchoOutcome> EchoBatch::Wait(int timeoutMs) {
  if (m_ready.empty() && m_flights->InFlight() == 0) return {};
  // With outcomes already there, only what has arrived meanwhile is added.
  const EchoClock::time_point now = EchoClock::now();
  const EchoClock::time_point until = !m_ready.empty() ? now
                                      : timeoutMs < 0  ? EchoClock::time_point::max()
                                                       : now + std::chrono::milliseconds(timeoutMs);
  // A failing poll leaves the echoes in flight to the next call.
  (void)WaitForEnded(*m_flights, until);
  TakeEnded();
  return std::exchange(m_ready, {});
}

std::vector<EchoOutcome> EchoBatch::WaitWithSockets(int timeoutMs, std::vector<kernel::WaitHandle>& sockets) {
  if (sockets.empty()) return Wait(timeoutMs);
  std::vector<pollfd> others;
  others.reserve(sockets.size());
  for (const std::uint32_t socket : sockets) others.push_back({kernel::DescriptorOf(socket), POLLIN, 0});
  const EchoClock::time_point now = EchoClock::now();
  const EchoClock::time_point until = !m_ready.empty() ? now
                                      : timeoutMs < 0  ? EchoClock::time_point::max()
                                                       : now + std::chrono::milliseconds(timeoutMs);
  const bool waited = WaitForEnded(*m_flights, until, others);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < sockets.size(); ++i) {
    if (waited && others[i].revents != 0) sockets[kept++] = sockets[i];
  }
  sockets.resize(kept);
  TakeEnded();
  return std::exchange(m_ready, {});
}

std::size_t EchoBatch::InFlight() const { return m_flights->InFlight() + m_ready.size(); }

void EchoBatch::TakeEnded() {
  for (const EchoResult& result : m_flights->TakeEnded()) m_ready.push_back(ToOutcome(result));
}

}  // namespace icmpapi
