#include <gtest/gtest.h>

#include <cstring>

#include "platform/winsock/winsock.h"

namespace {

// The host-order value of inet_addr, to compare with readable constants.
u_long Parse(const char* text) {
  const u_long value = inet_addr(text);
  return value == INADDR_NONE ? INADDR_NONE : __builtin_bswap32(value);
}

}  // namespace

TEST(InetAddr, AcceptsFourDecimalPartsLeadingZerosIncluded) {
  EXPECT_EQ(Parse("127.0.0.1"), 0x7F000001u);
  EXPECT_EQ(Parse("192.168.1.20"), 0xC0A80114u);
  EXPECT_EQ(Parse("192.168.001.010"), 0xC0A8010Au);  // decimal, never octal
  EXPECT_EQ(Parse("0177.0.0.01"), 0xB1000001u);
  EXPECT_EQ(Parse("08.09.0255.000"), 0x0809FF00u);
  EXPECT_EQ(Parse("0.0.0.0"), 0u);
  EXPECT_EQ(Parse("255.255.255.254"), 0xFFFFFFFEu);
  EXPECT_EQ(inet_addr("255.255.255.255"), INADDR_NONE);
}

TEST(InetAddr, RejectsEverythingElse) {
  for (const char* text :
       {"",         "1.2.3.4.5", "256.1.1.1",  "1.2.3.256", "1.2.3.0256",       "10.1.258",
        "10.65539", "16909060",  "0x7f.0.0.1", "0x7f.1",    "1..2.3",           "1.2.3.",
        ".1.2.3",   "1.2.3",     "a.b.c.d",    "1.2.3.4x",  "1.2.3.4 trailing", "1.2.3.4 ",
        " 1.2.3.4", "localhost", "-1.2.3.4",   "+1.2.3.4",  "1.2.3.4.",         "99999999999.1.1.1"}) {
    EXPECT_EQ(inet_addr(text), INADDR_NONE) << '"' << text << '"';
  }
  EXPECT_EQ(inet_addr(nullptr), INADDR_NONE);
}

TEST(InetNtoa, FormatsNetworkOrderBytesInAPerThreadBuffer) {
  in_addr address{};
  address.s_addr = inet_addr("10.200.3.255");
  char* text = inet_ntoa(address);
  EXPECT_STREQ(text, "10.200.3.255");
  address.s_addr = inet_addr("1.2.3.4");
  EXPECT_EQ(inet_ntoa(address), text);
  EXPECT_STREQ(text, "1.2.3.4");
}

TEST(ByteOrder, SwapsToNetworkOrder) {
  EXPECT_EQ(htons(6971), 0x3B1B);
  EXPECT_EQ(ntohs(htons(6971)), 6971);
}
