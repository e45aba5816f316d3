#include "platform/icmpapi/echo_batch.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "platform/icmpapi/echo_failure_record_win32.h"
#include "platform/kernel/wake_event.h"

namespace icmpapi {

// The echo handle and the outcomes of one batch, shared with the thread-pool
// callbacks that complete its echoes: it lives until the last has run.
class EchoFlightsWin32 : public std::enable_shared_from_this<EchoFlightsWin32> {
 public:
  explicit EchoFlightsWin32(HANDLE icmp) : m_icmp(icmp) {}
  ~EchoFlightsWin32() { ::IcmpCloseHandle(m_icmp); }
  EchoFlightsWin32(const EchoFlightsWin32&) = delete;
  EchoFlightsWin32& operator=(const EchoFlightsWin32&) = delete;

  void Start(std::size_t tag, IPAddr destination, const void* data, WORD size, DWORD timeoutMs);
  std::vector<EchoOutcome> TakeDone();
  bool HasDone();
  kernel::WaitHandle WakeHandle() const { return m_wake.Handle(); }

 private:
  struct Flight {
    std::shared_ptr<EchoFlightsWin32> batch;
    std::size_t tag = 0;
    HANDLE event = nullptr;
    HANDLE wait = nullptr;
    std::vector<unsigned char> reply;
  };

  static void CALLBACK OnEchoEnded(PVOID context, BOOLEAN timedOut);
  void Finish(const EchoOutcome& outcome);
  static EchoOutcome OutcomeOf(const Flight& flight);

  HANDLE m_icmp;
  std::mutex m_mutex;
  std::vector<EchoOutcome> m_done;
  kernel::WakeEvent m_wake;
};

namespace {

// A reply record, the echoed data, an ICMP error's 8 bytes and the
// library's own status block.
constexpr std::size_t kReplySpareBytes = 8 + 32;

EchoOutcome Failed(std::size_t tag, DWORD status) {
  EchoOutcome outcome;
  outcome.tag = tag;
  outcome.status = status != 0 ? status : IP_GENERAL_FAILURE;
  return outcome;
}

}  // namespace

void EchoFlightsWin32::Start(std::size_t tag, IPAddr destination, const void* data, WORD size, DWORD timeoutMs) {
  auto flight = std::make_unique<Flight>();
  flight->batch = shared_from_this();
  flight->tag = tag;
  flight->reply.resize(sizeof(ICMP_ECHO_REPLY) + size + kReplySpareBytes);
  flight->event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (flight->event == nullptr || !::RegisterWaitForSingleObject(&flight->wait, flight->event, &OnEchoEnded,
                                                                 flight.get(), INFINITE, WT_EXECUTEONLYONCE)) {
    if (flight->event != nullptr) ::CloseHandle(flight->event);
    Finish(Failed(tag, IP_NO_RESOURCES));
    return;
  }
  const DWORD sent =
      ::IcmpSendEcho2(m_icmp, flight->event, nullptr, nullptr, destination, const_cast<void*>(data), size, nullptr,
                      flight->reply.data(), static_cast<DWORD>(flight->reply.size()), timeoutMs);
  const DWORD error = ::GetLastError();
  if (sent == 0 && error != ERROR_IO_PENDING) {
    // Refused at once (no route, a bad address): the event never comes.
    ::UnregisterWaitEx(flight->wait, INVALID_HANDLE_VALUE);
    ::CloseHandle(flight->event);
    Finish(Failed(tag, error));
    return;
  }
  flight.release();  // the callback owns it now
}

void CALLBACK EchoFlightsWin32::OnEchoEnded(PVOID context, BOOLEAN /*timedOut*/) {
  std::unique_ptr<Flight> flight(static_cast<Flight*>(context));
  ::UnregisterWaitEx(flight->wait, nullptr);  // from its own callback: must not wait
  ::CloseHandle(flight->event);
  flight->batch->Finish(OutcomeOf(*flight));
}

EchoOutcome EchoFlightsWin32::OutcomeOf(const Flight& flight) {
  auto* buffer = const_cast<unsigned char*>(flight.reply.data());
  if (::IcmpParseReplies(buffer, static_cast<DWORD>(flight.reply.size())) == 0) {
    return Failed(flight.tag, ::GetLastError());  // IP_REQ_TIMED_OUT, mostly
  }
  const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(buffer);
  EchoOutcome outcome;
  outcome.tag = flight.tag;
  outcome.status = reply->Status;
  outcome.replyAddress = reply->Address;
  outcome.roundTripMs = reply->RoundTripTime;
  outcome.roundTripMicroseconds = static_cast<std::int64_t>(reply->RoundTripTime) * 1000;
  outcome.ttl = reply->Options.Ttl;
  return outcome;
}

void EchoFlightsWin32::Finish(const EchoOutcome& outcome) {
  {
    const std::lock_guard lock(m_mutex);
    m_done.push_back(outcome);
  }
  m_wake.Set();
}

std::vector<EchoOutcome> EchoFlightsWin32::TakeDone() {
  m_wake.Reset();  // first: an echo that ends after the take sets it again
  const std::lock_guard lock(m_mutex);
  return std::exchange(m_done, {});
}

bool EchoFlightsWin32::HasDone() {
  const std::lock_guard lock(m_mutex);
  return !m_done.empty();
}

std::unique_ptr<EchoBatch> EchoBatch::Open(OpenFailureInfo& failure) {
  const HANDLE icmp = ::IcmpCreateFile();
  failure = {};
  if (icmp == INVALID_HANDLE_VALUE) failure = {OpenFailure::Other, ::GetLastError()};
  RecordOpenFailure(failure);
  if (icmp == INVALID_HANDLE_VALUE) return nullptr;
  auto flights = std::make_shared<EchoFlightsWin32>(icmp);
  if (flights->WakeHandle() == kernel::kNoHandle) {
    failure = {OpenFailure::Other, static_cast<DWORD>(::WSAGetLastError())};
    RecordOpenFailure(failure);
    return nullptr;
  }
  return std::unique_ptr<EchoBatch>(new EchoBatch(std::move(flights)));
}

EchoBatch::EchoBatch(std::shared_ptr<EchoFlightsWin32> flights) : m_flights(std::move(flights)) {}

// Echoes still in flight keep their share of the flights until they end.
EchoBatch::~EchoBatch() = default;

void EchoBatch::Start(std::size_t tag, IPAddr destination, const void* data, WORD size, DWORD timeoutMs) {
  ++m_inFlight;
  m_flights->Start(tag, destination, data, size, timeoutMs);
}

std::vector<EchoOutcome> EchoBatch::Wait(int timeoutMs) {
  std::vector<kernel::WaitHandle> none;
  return WaitWithSockets(timeoutMs, none);
}

std::vector<EchoOutcome> EchoBatch::WaitWithSockets(int timeoutMs, std::vector<kernel::WaitHandle>& sockets) {
  if (m_inFlight == 0 && sockets.empty()) return {};
  std::vector<kernel::WaitHandle> handles = sockets;
  if (m_inFlight > 0) handles.push_back(m_flights->WakeHandle());
  const bool ready = m_flights->HasDone();
  if (kernel::WaitForReadable(handles, ready ? 0 : timeoutMs) < 0) handles.clear();
  std::erase(handles, m_flights->WakeHandle());
  sockets = std::move(handles);
  std::vector<EchoOutcome> outcomes = m_flights->TakeDone();
  m_inFlight -= std::min(m_inFlight, outcomes.size());
  return outcomes;
}

std::size_t EchoBatch::InFlight() const { return m_inFlight; }

}  // namespace icmpapi
