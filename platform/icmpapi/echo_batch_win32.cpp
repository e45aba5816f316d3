#include "platform/icmpapi/echo_batch.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/icmpapi/echo_failure_record_win32.h"
#include "platform/kernel/modules.h"
#include "platform/kernel/wake_event.h"

namespace icmpapi {

// The echoes of one batch fly from a thread of their own: it sends each
// request as an asynchronous IcmpSendEcho2 whose completion comes back to it
// as an APC while it waits, alertable, for more requests. Outcomes are
// filed for the caller's thread, which a wake socket tells. The thread ends
// once the batch is gone and its last echo has ended.
class EchoFlightsWin32 {
 public:
  explicit EchoFlightsWin32(HANDLE icmp) : m_icmp(icmp), m_requests(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  ~EchoFlightsWin32() {
    ::IcmpCloseHandle(m_icmp);
    if (m_requests != nullptr) ::CloseHandle(m_requests);
  }
  EchoFlightsWin32(const EchoFlightsWin32&) = delete;
  EchoFlightsWin32& operator=(const EchoFlightsWin32&) = delete;

  bool Usable() const { return m_requests != nullptr && m_wake.Handle() != kernel::kNoHandle; }
  static void RunThread(std::shared_ptr<EchoFlightsWin32> self) { self->Run(); }

  void Start(std::size_t tag, IPAddr destination, const void* data, WORD size, DWORD timeoutMs);
  void Stop();
  std::vector<EchoOutcome> TakeDone();
  bool HasDone();
  kernel::WaitHandle WakeHandle() const { return m_wake.Handle(); }

 private:
  struct Request {
    std::size_t tag = 0;
    IPAddr destination = 0;
    std::vector<unsigned char> data;
    DWORD timeoutMs = 0;
  };
  struct Flight {
    EchoFlightsWin32* batch = nullptr;
    Request request;
    std::vector<unsigned char> reply;
  };

  void Run();
  void SendQueued();
  void Send(Request request);
  static void NTAPI OnEchoEnded(PVOID context, PVOID ioStatus, ULONG reserved);
  static EchoOutcome OutcomeOf(Flight& flight);
  void File(const EchoOutcome& outcome);

  HANDLE m_icmp;
  HANDLE m_requests;  // set when requests are queued, or at the stop
  std::mutex m_mutex;
  std::vector<Request> m_queue;
  std::vector<EchoOutcome> m_done;
  bool m_stopping = false;
  std::size_t m_flying = 0;  // the echo thread's own count
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
  const auto* bytes = static_cast<const unsigned char*>(data);
  {
    const std::lock_guard lock(m_mutex);
    m_queue.push_back({tag, destination, std::vector<unsigned char>(bytes, bytes + size), timeoutMs});
  }
  ::SetEvent(m_requests);
}

void EchoFlightsWin32::Stop() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  ::SetEvent(m_requests);
}

void EchoFlightsWin32::Run() {
  for (;;) {
    SendQueued();
    {
      const std::lock_guard lock(m_mutex);
      if (m_stopping && m_queue.empty() && m_flying == 0) return;
    }
    ::WaitForSingleObjectEx(m_requests, INFINITE, TRUE);  // alertable: ended echoes come in here
  }
}

void EchoFlightsWin32::SendQueued() {
  std::vector<Request> queued;
  {
    const std::lock_guard lock(m_mutex);
    queued.swap(m_queue);
  }
  for (Request& request : queued) Send(std::move(request));
}

void EchoFlightsWin32::Send(Request request) {
  auto flight = std::make_unique<Flight>();
  flight->batch = this;
  flight->reply.resize(sizeof(ICMP_ECHO_REPLY) + request.data.size() + kReplySpareBytes);
  flight->request = std::move(request);
  Request& sent = flight->request;
  const DWORD replies =
      ::IcmpSendEcho2(m_icmp, nullptr, kernel::AsFarProc(&OnEchoEnded), flight.get(), sent.destination,
                      sent.data.data(), static_cast<WORD>(sent.data.size()), nullptr, flight->reply.data(),
                      static_cast<DWORD>(flight->reply.size()), sent.timeoutMs);
  const DWORD error = ::GetLastError();
  if (replies == 0 && error != ERROR_IO_PENDING) {
    File(Failed(sent.tag, error));  // refused at once (no route, a bad address): no APC comes
    return;
  }
  ++m_flying;
  flight.release();  // OnEchoEnded frees it
}

void NTAPI EchoFlightsWin32::OnEchoEnded(PVOID context, PVOID /*ioStatus*/, ULONG /*reserved*/) {
  const std::unique_ptr<Flight> flight(static_cast<Flight*>(context));
  EchoFlightsWin32& batch = *flight->batch;
  --batch.m_flying;
  batch.File(OutcomeOf(*flight));
}

EchoOutcome EchoFlightsWin32::OutcomeOf(Flight& flight) {
  if (::IcmpParseReplies(flight.reply.data(), static_cast<DWORD>(flight.reply.size())) == 0) {
    return Failed(flight.request.tag, ::GetLastError());  // IP_REQ_TIMED_OUT, mostly
  }
  const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(flight.reply.data());
  EchoOutcome outcome;
  outcome.tag = flight.request.tag;
  outcome.status = reply->Status;
  outcome.replyAddress = reply->Address;
  outcome.roundTripMs = reply->RoundTripTime;
  outcome.roundTripMicroseconds = static_cast<std::int64_t>(reply->RoundTripTime) * 1000;
  outcome.ttl = reply->Options.Ttl;
  return outcome;
}

void EchoFlightsWin32::File(const EchoOutcome& outcome) {
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
  failure = {};
  const HANDLE icmp = ::IcmpCreateFile();
  if (icmp == INVALID_HANDLE_VALUE) failure = {OpenFailure::Other, ::GetLastError()};
  std::shared_ptr<EchoFlightsWin32> flights;
  if (icmp != INVALID_HANDLE_VALUE) {
    flights = std::make_shared<EchoFlightsWin32>(icmp);
    if (!flights->Usable()) failure = {OpenFailure::Other, ::GetLastError()};
  }
  if (failure.reason == OpenFailure::None) {
    try {
      std::thread(&EchoFlightsWin32::RunThread, flights).detach();
    } catch (const std::system_error& error) {
      failure = {OpenFailure::Other, static_cast<DWORD>(error.code().value())};
    }
  }
  RecordOpenFailure(failure);
  if (failure.reason != OpenFailure::None) return nullptr;
  return std::unique_ptr<EchoBatch>(new EchoBatch(std::move(flights)));
}

EchoBatch::EchoBatch(std::shared_ptr<EchoFlightsWin32> flights) : m_flights(std::move(flights)) {}

// Echoes still in flight end on the echo thread, which then lets go of
// the flights: the caller is not held.
EchoBatch::~EchoBatch() { m_flights->Stop(); }

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
