#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "probe/echo_call_resources.h"
#include "platform/framework/cstring.h"
#include "platform/icmpapi/echo_batch.h"

// The echoes of many servers at once, each with the 5000 ms limit, over one
// ICMP socket (or the echo helper). The round is driven step by step by the
// thread that runs the status exchanges too, which also says when each echo
// may start. Destinations may join while it runs (a host name once it is
// resolved); the transport opens when the first one comes.
struct ServerEcho {
  bool replied = false;
  long long roundTripMicroseconds = -1;
  ULONG roundTripMs = 0;
};

class CEchoRound {
 public:
  // Called once per destination when its echo is over.
  using DoneCallback = std::function<void(std::size_t, const ServerEcho&)>;

  CEchoRound(std::size_t nParallel, DoneCallback onDone);

  // Adds a destination, its index the number added before. The first opens
  // the echo transport; when none can be had, no echo is sent: this and
  // every later echo ends at once unanswered, and Refusal() says why.
  void Add(IPAddr destination);
  // When no echo could be sent at all: the message the dialog would show
  // for each server ("Ping not sent. " and why); empty otherwise.
  const CString& Refusal() const { return m_strRefusal; }

  // True when an echo is waiting to start and the allowed number in flight
  // leaves room for it.
  bool CanStart() const;
  void StartNext();
  // The open transport, to wait on (null when there is none).
  icmpapi::EchoBatch* Batch() const { return m_batch.get(); }
  // Takes in the outcomes a wait on the transport returned.
  void Take(const std::vector<icmpapi::EchoOutcome>& outcomes);
  bool Done() const { return m_next == m_destinations.size() && (!m_batch || m_batch->InFlight() == 0); }

 private:
  void Open();

  std::vector<IPAddr> m_destinations;
  std::size_t m_parallel;
  DoneCallback m_onDone;
  std::unique_ptr<icmpapi::EchoBatch> m_batch;
  bool m_opened = false;
  CString m_strRefusal;
  probe::EchoRequestData m_request;  // the same 59 bytes as the dialog's echo
  std::size_t m_next = 0;
};
