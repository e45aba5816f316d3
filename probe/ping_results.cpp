#include "probe/ping_results.h"

#include "net/no_throw.h"

IMPLEMENT_SERIAL(CPingResults, CObject, 1)

extern "C" {
int vq_ping_results_anchor = 0;
}

CPingResults::CPingResults() : m_dwRoundTripTime(0), m_byTimeToLive(0) { CPingResults::Empty(); }

CPingResults::~CPingResults() { CPingResults::Empty(); }

void CPingResults::Serialize(CArchive& ar) {
  if (ar.IsLoading()) {
    ar >> m_strReplyAddress;
    ar >> m_dwRoundTripTime;
    ar >> m_byTimeToLive;
  } else {
    ar << m_strReplyAddress;
    ar << m_dwRoundTripTime;
    ar << m_byTimeToLive;
  }
}

void CPingResults::AssertValid() const {}

void CPingResults::Dump(CDumpContext& /*dc*/) const {}

void CPingResults::Copy(const ICMP_ECHO_REPLY* pReply) {
  const bool copied = net_detail::RunWithoutThrowing([&] {
    if (pReply == nullptr) {
      Empty();
    } else {
      Copy(*pReply);
    }
  });
  if (!copied) net_detail::RunWithoutThrowing([&] { Empty(); });
}

void CPingResults::Copy(const ICMP_ECHO_REPLY& reply) {
  // The address is in network byte order, so its bytes in memory are the
  // dotted quad from left to right.
  const auto* octets = reinterpret_cast<const BYTE*>(&reply.Address);
  m_strReplyAddress.Format("%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
  m_dwRoundTripTime = reply.RoundTripTime;
  m_byTimeToLive = reply.Options.Ttl;
}

void CPingResults::Copy(const CPingResults* pOther) {
  const bool copied = net_detail::RunWithoutThrowing([&] {
    if (pOther == nullptr) {
      Empty();
    } else {
      Copy(*pOther);
    }
  });
  if (!copied) net_detail::RunWithoutThrowing([&] { Empty(); });
}

void CPingResults::Copy(const CPingResults& other) {
  if (&other == this) return;
  m_strReplyAddress = other.m_strReplyAddress;
  m_dwRoundTripTime = other.m_dwRoundTripTime;
  m_byTimeToLive = other.m_byTimeToLive;
}

void CPingResults::Empty() {
  m_strReplyAddress.Empty();
  m_dwRoundTripTime = 0;
  m_byTimeToLive = 0;
}

CPingResults& CPingResults::operator=(const CPingResults& other) {  // NOLINT(misc-unconventional-assign-operator)
  Copy(other);
  return *this;
}
