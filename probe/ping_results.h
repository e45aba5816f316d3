#pragma once
#include "platform/framework/archive.h"
#include "platform/framework/cobject.h"
#include "platform/framework/cstring.h"
#include "platform/icmpapi/icmpapi.h"

// What one ICMP echo reply says: who replied, how long the round trip took
// and the reply's time to live. Creatable by the class name "CPingResults"
// and stored in archives with schema 1.
//
// Archive form: the address text in the framework's length-prefixed string
// form, then the round-trip time (4 bytes, little-endian), then the time to
// live (1 byte).
class CPingResults : public CObject {
  DECLARE_SERIAL(CPingResults)
 public:
  CPingResults();
  // Copies go through the assignment (Copy), never a copy constructor.
  CPingResults(const CPingResults&) = delete;
  ~CPingResults() override;

  void Serialize(CArchive& ar) override;
  void AssertValid() const override;
  void Dump(CDumpContext& dc) const override;

  // Reads only the replying address, the round-trip time and the time to
  // live; the reply's status and data are not looked at. The pointer forms
  // never throw: a null pointer or a failure leaves the record empty.
  virtual void Copy(const ICMP_ECHO_REPLY* pReply);
  virtual void Copy(const ICMP_ECHO_REPLY& reply);
  virtual void Copy(const CPingResults* pOther);
  virtual void Copy(const CPingResults& other);  // copying from itself changes nothing
  virtual void Empty();
  // Virtual like the record's other operations: a derived record's copy
  // goes through it.
  virtual CPingResults& operator=(const CPingResults& other);  // NOLINT(misc-unconventional-assign-operator)

  CString m_strReplyAddress;  // dotted quad; empty when empty
  DWORD m_dwRoundTripTime;    // milliseconds
  BYTE m_byTimeToLive;
};
