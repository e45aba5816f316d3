#include "query/query_outcome.h"

QueryField FieldOf(StatusField field) {
  switch (field) {
    case StatusField::Host: return QueryField::Host;
    case StatusField::Track: return QueryField::Track;
    case StatusField::Players: return QueryField::Players;
    case StatusField::Type: return QueryField::Type;
    case StatusField::Session: return QueryField::Session;
    case StatusField::TimeLeft: return QueryField::TimeLeft;
  }
  return QueryField::Host;  // not reached: every field is listed
}

CString& QueryOutcome::Field(QueryField field) {
  switch (field) {
    case QueryField::Ping: return strPing;
    case QueryField::Host: return strHost;
    case QueryField::Track: return strTrack;
    case QueryField::Players: return strPlayers;
    case QueryField::Type: return strType;
    case QueryField::Session: return strSession;
    case QueryField::TimeLeft: return strTimeLeft;
  }
  return strHost;  // not reached: every field is listed
}

void CQueryRecorder::OnFieldsEmptied() {
  for (QueryField field : {QueryField::Ping, QueryField::Host, QueryField::Track, QueryField::Players, QueryField::Type,
                           QueryField::Session, QueryField::TimeLeft}) {
    m_outcome.Field(field).Empty();
  }
  m_outcome.rttMicroseconds = -1;
}

void CQueryRecorder::OnField(QueryField field, const CString& strText) { m_outcome.Field(field) = strText; }

void CQueryRecorder::OnProgressRange(int /*nLower*/, int /*nUpper*/) {}

void CQueryRecorder::OnProgress(int nPos) { m_positions.push_back(nPos); }

void CQueryRecorder::OnMessage(const CString& strText) { m_outcome.messages.push_back(strText); }

void CQueryRecorder::OnRoundTrip(long long nMicroseconds) { m_outcome.rttMicroseconds = nMicroseconds; }
