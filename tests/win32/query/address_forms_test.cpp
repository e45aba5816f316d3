// Address texts on Windows: the system's lenient parsers never see a text
// that the program reads otherwise, so every form is read as on Linux or
// refused. Some of these texts are real addresses: the test runs only in
// the network namespace of the Windows suite.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/winsock/address_text.h"
#include "platform/winsock/scoped_startup.h"
#include "probe/pinger.h"
#include "query/batch_addresses.h"
#include "query/status_destination.h"

namespace {

// Forms that the system reads as an address (or resolves after reading one)
// and the program does not, and texts that no DNS name can be.
constexpr const char* kRefused[] = {"127.1",       "10.1",       "2130706433",   "0x7f.0.0.1",      "0x7f",
                                    "127.0.0.1 x", "a..b",       " 127.0.0.1 1", "[127.0.0.1]",     "127.0.0.1:6971",
                                    "127.0.0.256", "127.0.0.1.", "1.2.3.4.5",    "loc\xC3\xA4lhost"};

class AddressFormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("VQ_WINE_NETNS") == nullptr) GTEST_SKIP() << "runs only in the Windows suite's network namespace";
    ASSERT_TRUE(sockets.started());
  }
  winsock::ScopedStartup sockets;
};

TEST_F(AddressFormsTest, OnlyDottedQuadsAndPossibleNamesReachTheResolver) {
  for (const char* text : kRefused) {
    EXPECT_FALSE(winsock::MayResolve(text)) << '"' << text << '"';
  }
  for (const char* text : {"127.0.0.1", "0177.0.0.1", "localhost", "quillmar.example"}) {
    EXPECT_TRUE(winsock::MayResolve(text)) << '"' << text << '"';
  }
}

TEST_F(AddressFormsTest, OneServerGoesToTheDecimalAddressOrIsInvalid) {
  CPinger resolver;
  sockaddr_in destination{};
  ASSERT_TRUE(FindStatusDestination(" 0177.0.0.1 ", resolver, destination));
  EXPECT_EQ(destination.sin_addr.s_addr, winsock::DottedQuadAddress("177.0.0.1"));
  ASSERT_TRUE(FindStatusDestination("localhost", resolver, destination));
  EXPECT_EQ(destination.sin_addr.s_addr, winsock::DottedQuadAddress("127.0.0.1"));
  for (const char* text : kRefused) {
    EXPECT_FALSE(FindStatusDestination(text, resolver, destination)) << '"' << text << '"';
  }

  resolver.SetAddress("127.1");  // the resolver alone refuses it as well, before any look-up
  EXPECT_TRUE(resolver.m_strDottedAddress.IsEmpty());
  EXPECT_EQ(resolver.GetErrorCode(), static_cast<DWORD>(WSAHOST_NOT_FOUND));
}

TEST_F(AddressFormsTest, ManyServersSortRefusedFormsAsInvalid) {
  std::vector<CString> texts{"0177.0.0.1", "localhost"};
  for (const char* text : kRefused) texts.emplace_back(text);
  const SortedAddresses sorted = SortAddresses(texts);
  ASSERT_EQ(sorted.dotted.size(), 1u);
  EXPECT_EQ(sorted.dotted[0].second, winsock::DottedQuadAddress("177.0.0.1"));
  ASSERT_EQ(sorted.names.size(), 1u);
  EXPECT_EQ(sorted.names[0], "localhost");
  EXPECT_EQ(sorted.invalid.size(), std::size(kRefused));
}

}  // namespace
