// The query blocks its thread while it waits; the sockets and ICMP layers
// wait in slices and run the blocking hook between them, so a window that
// runs it repaints but takes no input until the query is done.
#include "query/server_query.h"

#include <string_view>

#include "probe/ping_results.h"
#include "probe/pinger.h"
#include "protocol/blocking_socket.h"
#include "protocol/status_reply.h"
#include "protocol/status_request.h"
#include "query/query_messages.h"
#include "query/query_outcome.h"
#include "query/socket_close_guard.h"
#include "query/status_destination.h"
#include "query/status_reply_wait.h"

namespace {

constexpr BYTE kEchoTimeToLive = 255;
constexpr int kSendWaitSeconds = 2;
constexpr int kReceiveWaitSeconds = 5;

// The progress bar's positions, out of 100, as each step ends.
constexpr int kProgressEchoed = 25;
constexpr int kProgressSent = 50;
constexpr int kProgressReceived = 75;
constexpr int kProgressDone = 100;

// The echo goes where the datagram will go: a host name was resolved once.
CString DottedText(const sockaddr_in& destination) {
  const char* text = inet_ntoa(destination.sin_addr);
  return CString(text != nullptr ? text : "");
}

}  // namespace

void CServerQuery::Run(const CString& strAddress) {
  m_bStatusReplyDecoded = FALSE;
  EmptyResultFields();
  m_sink.OnProgressRange(0, kProgressDone);
  m_sink.OnProgress(0);

  // Text that gives no IPv4 address is said so at once: no echo, no datagram.
  // A host name is looked up first, which can take a while.
  CPinger pinger;
  sockaddr_in destination;
  const BOOL bFound = FindStatusDestination(strAddress, pinger, destination);
  if (m_sink.StopRequested()) return;
  if (!bFound) {
    m_sink.OnMessage(kInvalidAddressText);
    return;
  }
  if (!Echo(DottedText(destination), pinger)) return;
  try {
    ExchangeStatus(destination);
  } catch (CBlockingSocketException* e) {
    // The wait that the stop interrupted failed: that is no failure to report.
    if (!m_sink.StopRequested()) throw;
    e->Delete();
  }
}

void CServerQuery::ExchangeStatus(const sockaddr_in& destination) {
  CBlockingSocket socket;
  socket.Create(SOCK_DGRAM);
  CSocketCloseGuard closer(socket);
  socket.SendDatagram(kStatusRequestText.data(), static_cast<int>(kStatusRequestLength), &destination,
                      kSendWaitSeconds);
  if (m_sink.StopRequested()) return;
  m_sink.OnProgress(kProgressSent);

  char reply[kStatusReplyBufferSize];
  const int nReceived =
      ReceiveStatusReply(socket, destination, reply, static_cast<int>(sizeof reply), kReceiveWaitSeconds);
  if (m_sink.StopRequested()) return;
  m_sink.OnProgress(kProgressReceived);
  ShowStatusReply(reply, nReceived);
  m_bStatusReplyDecoded = TRUE;

  closer.Close();
  m_sink.OnProgress(kProgressDone);
  m_sink.OnProgress(0);
}

// TIME_LEFT is emptied with the others: a reply without an eleventh field
// must not leave the time left of the server asked before.
void CServerQuery::EmptyResultFields() { m_sink.OnFieldsEmptied(); }

// false when the query is to stop: an echo that a stop interrupted failed,
// and nothing of it is shown.
bool CServerQuery::Echo(const CString& strAddress, CPinger& pinger) {
  CPingResults results;
  const bool replied = pinger.Ping(strAddress, &results, kEchoTimeToLive) != 0;
  if (m_sink.StopRequested()) return false;
  if (!replied) ReportEchoFailure(pinger);
  m_sink.OnProgress(kProgressEchoed);
  if (replied) m_sink.OnRoundTrip(pinger.LastRoundTripMicroseconds());
  CString strPing;
  strPing.Format("%d", static_cast<int>(results.m_dwRoundTripTime));  // 0 when the echo failed
  m_sink.OnField(QueryField::Ping, strPing);
  return true;
}

// A time-out, an unreachable host and the like all read "Ping Timed Out".
// When no echo handle could be had (ICMP sockets refused, the echo helper
// missing or unable to start) no echo was sent at all, and the user is told
// why, and how to allow it where that helps.
void CServerQuery::ReportEchoFailure(const CPinger& pinger) {
  if (pinger.EchoNotPermitted()) {
    m_sink.OnMessage(EchoNotSentText(pinger.EchoPermissionAdvice()));
  } else {
    m_sink.OnMessage(kPingTimedOutText);
  }
}

// One field at a time in reply order, each reported as soon as it is
// decoded; fields the reply does not close are left as they are.
void CServerQuery::ShowStatusReply(const char* pReply, int nLength) {
  const auto* data = reinterpret_cast<const unsigned char*>(pReply);
  const std::size_t length = nLength > 0 ? static_cast<std::size_t>(nLength) : 0;
  for (const StatusFieldUpdate& update : DecodeStatusReply(data, length)) {
    m_sink.OnField(FieldOf(update.field), CString(std::string_view(update.text)));
  }
}
