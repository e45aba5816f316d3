// Name look-ups answer from the hosts and services files; no test here
// causes a DNS query.
#include <string>

#include "tests/platform/winsock/winsock_fixture.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/private_etc_files.h"

namespace {

class WinsockResolver : public WinsockTest {};

// The hosts file the look-ups of loopback read, whatever the machine's says.
constexpr const char* kHostsFile = "127.0.0.1 localhost vq-loopback\n";

u_long FirstAddress(const hostent* host) {
  u_long address = 0;
  std::memcpy(&address, host->h_addr, sizeof(address));
  return address;
}

}  // namespace

TEST_F(WinsockResolver, LocalhostResolvesThroughTheHostsFile) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for private network and mount namespaces";
  VQ_RUN_IN_CHILD([] {
    const netns::PrivateHostsFile hosts(kHostsFile);
    const hostent* host = gethostbyname("localhost");
    ASSERT_NE(host, nullptr) << WSAGetLastError();
    EXPECT_STREQ(host->h_name, "localhost");
    EXPECT_EQ(host->h_addrtype, AF_INET);
    EXPECT_EQ(host->h_length, 4);
    EXPECT_EQ(FirstAddress(host), inet_addr("127.0.0.1"));
    ASSERT_NE(host->h_aliases, nullptr);
    ASSERT_NE(host->h_aliases[0], nullptr);
    EXPECT_STREQ(host->h_aliases[0], "vq-loopback");
  });
}

TEST_F(WinsockResolver, DottedAddressAnswersItself) {
  const hostent* host = gethostbyname("10.1.2.3");
  ASSERT_NE(host, nullptr);
  EXPECT_STREQ(host->h_name, "10.1.2.3");
  EXPECT_EQ(FirstAddress(host), inet_addr("10.1.2.3"));
  EXPECT_EQ(host->h_addr_list[1], nullptr);

  host = gethostbyname("192.168.001.010");
  ASSERT_NE(host, nullptr);
  EXPECT_STREQ(host->h_name, "192.168.001.010");
  EXPECT_EQ(FirstAddress(host), inet_addr("192.168.1.10"));
}

// The hosts file holds none of these, and none goes to DNS: a text that the
// system would read as an octal or hex address is a name only the hosts
// file can know.
TEST_F(WinsockResolver, OtherNumericFormsAreNamesNotAddresses) {
  for (const char* name : {"0x7f.1", "127.1", "2130706433", "0177.0.1"}) {
    WSASetLastError(0);
    EXPECT_EQ(gethostbyname(name), nullptr) << name;
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND) << name;
  }
}

TEST_F(WinsockResolver, InvalidDomainFailsWithoutAskingAnyone) {
  for (const char* name : {"x.invalid", "deep.name.INVALID.", "invalid"}) {
    WSASetLastError(0);
    EXPECT_EQ(gethostbyname(name), nullptr) << name;
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND) << name;
  }
}

TEST_F(WinsockResolver, ReverseLookupReadsOnlyTheHostsFile) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for private network and mount namespaces";
  VQ_RUN_IN_CHILD([] {
    const netns::PrivateHostsFile hosts(kHostsFile);
    const u_long loopback = inet_addr("127.0.0.1");
    const hostent* host = gethostbyaddr(reinterpret_cast<const char*>(&loopback), 4, AF_INET);
    ASSERT_NE(host, nullptr);
    EXPECT_STREQ(host->h_name, "localhost");
    EXPECT_EQ(FirstAddress(host), loopback);

    const u_long unknown = inet_addr("10.1.2.3");
    EXPECT_EQ(gethostbyaddr(reinterpret_cast<const char*>(&unknown), 4, AF_INET), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
    EXPECT_EQ(gethostbyaddr(reinterpret_cast<const char*>(&loopback), 4, 23), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSAEAFNOSUPPORT);
  });
}

TEST_F(WinsockResolver, ServicesByNameAndPortInNetworkOrder) {
  const servent* ftp = getservbyname("ftp", nullptr);
  ASSERT_NE(ftp, nullptr);
  EXPECT_STREQ(ftp->s_name, "ftp");
  EXPECT_EQ(static_cast<u_short>(ftp->s_port), htons(21));
  EXPECT_STREQ(getservbyname("ftp", "tcp")->s_proto, "tcp");

  const servent* byPort = getservbyport(htons(21), nullptr);
  ASSERT_NE(byPort, nullptr);
  EXPECT_STREQ(byPort->s_name, "ftp");

  EXPECT_EQ(getservbyport(htons(6971), nullptr), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSANO_DATA);
  EXPECT_EQ(getservbyname("no-such-service", nullptr), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSANO_DATA);
}
