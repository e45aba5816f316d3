#include "query/query_outcome.h"

void CQueryRecorder::OnFieldsEmptied() {
  EmptyResults(m_outcome);
  m_outcome.rttMicroseconds = -1;
}

void CQueryRecorder::OnField(QueryField field, const CString& strText) { ResultText(m_outcome, field) = strText; }

void CQueryRecorder::OnProgressRange(int /*nLower*/, int /*nUpper*/) {}

void CQueryRecorder::OnProgress(int nPos) { m_positions.push_back(nPos); }

void CQueryRecorder::OnMessage(const CString& strText) { m_outcome.messages.push_back(strText); }

void CQueryRecorder::OnRoundTrip(long long nMicroseconds) { m_outcome.rttMicroseconds = nMicroseconds; }
