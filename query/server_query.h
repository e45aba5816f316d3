#pragma once
#include "platform/framework/cstring.h"
#include "platform/winsock/winsock.h"
#include "query/query_sink.h"

class CPinger;

// The "Ping Server" command as steps reporting to a sink: the fields are
// emptied, an ICMP echo goes to the address, then one status request to the
// game server there, with the progress moving through 0, 25, 50, 75, 100
// and back to 0.
//
// The datagram socket throws CBlockingSocketException* on every failure,
// silence included. Run does not catch it: the steps after it are skipped,
// the socket is closed on the way out, and the exception reaches the
// caller (the dialog's window-procedure guard shows it), with the progress
// where the query stopped.
//
// The query stops early, without another report, once its sink asks it to
// (StopRequested): after each step, and when a wait that the stop
// interrupted fails (the socket's exception is then dropped, and no echo
// failure is shown).
class CServerQuery {
 public:
  explicit CServerQuery(CQuerySink& sink) : m_sink(sink) {}
  CServerQuery(const CServerQuery&) = delete;
  CServerQuery& operator=(const CServerQuery&) = delete;

  void Run(const CString& strAddress);

  // TRUE when the run decoded a status reply from the server.
  BOOL StatusReplyDecoded() const { return m_bStatusReplyDecoded; }

 private:
  void EmptyResultFields();
  bool Echo(const CString& strAddress, CPinger& pinger);
  void ExchangeStatus(const sockaddr_in& destination);
  void ReportEchoFailure(const CPinger& pinger);
  void ShowStatusReply(const char* pReply, int nLength);

  CQuerySink& m_sink;
  BOOL m_bStatusReplyDecoded = FALSE;
};
