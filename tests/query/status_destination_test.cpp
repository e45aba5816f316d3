// Where the status request goes for a host name, with names from a hosts
// file of the test's own in a namespace without DNS.
#include "query/status_destination.h"

#include <gtest/gtest.h>

#include "probe/pinger.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/private_etc_files.h"

namespace {

// The address a name gives now, never one its resolver kept from an earlier
// look-up; names that give no address to send to are refused.
TEST(StatusDestinationTest, HostNameGoesToTheAddressItGivesNow) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for private network and mount namespaces";
  VQ_RUN_IN_CHILD([] {
    const netns::PrivateHostsFile hosts(
        "127.0.0.2 quillmar-first.test\n127.0.0.3 quillmar-second.test\n"
        "0.0.0.0 quillmar-any.test\n255.255.255.255 quillmar-broadcast.test\n");
    CPinger resolver;
    resolver.SetAddress("quillmar-first.test");
    ASSERT_STREQ(resolver.m_strDottedAddress, "127.0.0.2");

    sockaddr_in destination{};
    ASSERT_TRUE(FindStatusDestination(" quillmar-second.test\t", resolver, destination));
    EXPECT_EQ(destination.sin_addr.s_addr, inet_addr("127.0.0.3"));
    EXPECT_EQ(ntohs(destination.sin_port), 6971);
    for (const char* name : {"quillmar-any.test", "quillmar-broadcast.test", "quillmar-unknown.test"}) {
      EXPECT_FALSE(FindStatusDestination(name, resolver, destination)) << name;
    }
  });
}

}  // namespace
