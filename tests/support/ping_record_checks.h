#pragma once
// Echo replies as the ICMP library stores them, and a check of what a ping
// results record holds, for the tests of CPingResults and CPinger.
#include <gtest/gtest.h>

#include <cstring>

#include "probe/ping_results.h"
#include "platform/icmpapi/icmpapi.h"

namespace vqtest {

// a.b.c.d in network order.
inline IPAddr Ipv4(BYTE a, BYTE b, BYTE c, BYTE d) {
  const BYTE bytes[4] = {a, b, c, d};
  IPAddr address;
  std::memcpy(&address, bytes, 4);
  return address;
}

// The reply record of an echo with the program's 59 bytes of data, which
// follow the record.
inline ICMP_ECHO_REPLY EchoReply(IPAddr from, ULONG status, ULONG roundTrip, UCHAR ttl) {
  ICMP_ECHO_REPLY reply{};
  reply.Address = from;
  reply.Status = status;
  reply.RoundTripTime = roundTrip;
  reply.DataSize = 59;
  reply.Data = sizeof(ICMP_ECHO_REPLY);
  reply.Options.Ttl = ttl;
  return reply;
}

inline void ExpectHolds(const CPingResults& record, LPCSTR address, DWORD roundTrip, BYTE ttl) {
  EXPECT_STREQ(record.m_strReplyAddress, address);
  EXPECT_EQ(record.m_dwRoundTripTime, roundTrip);
  EXPECT_EQ(record.m_byTimeToLive, ttl);
}

}  // namespace vqtest
