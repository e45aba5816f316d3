// Look-ups run beside the blocking hook, so a window keeps repainting while
// a resolver takes its time. Every DNS query here stays inside a namespace
// of the test's own (silent_resolver.h).
#include <atomic>
#include <string>
#include <thread>

#include "platform/kernel/blocking_hook.h"
#include "tests/platform/winsock/winsock_fixture.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"
#include "tests/support/private_etc_files.h"
#include "tests/support/silent_resolver.h"

namespace {

int g_hookCalls = 0;

BOOL CountingHook() {
  ++g_hookCalls;
  return FALSE;
}

// Installs the counting hook for the calling thread while alive.
class ScopedCountingHook {
 public:
  ScopedCountingHook() : m_previous(kernel::SetBlockingHook(&CountingHook)) { g_hookCalls = 0; }
  ~ScopedCountingHook() { kernel::SetBlockingHook(m_previous); }
  ScopedCountingHook(const ScopedCountingHook&) = delete;
  ScopedCountingHook& operator=(const ScopedCountingHook&) = delete;

 private:
  BLOCKINGHOOKPROC m_previous;
};

class ResolverWait : public WinsockTest {};

u_long FirstAddress(const hostent* host) {
  u_long address = 0;
  std::memcpy(&address, host->h_addr, sizeof(address));
  return address;
}

TEST_F(ResolverWait, SilentResolverKeepsTheHookRunningUntilItsOwnTimeLimit) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for private network and mount namespaces";
  VQ_RUN_IN_CHILD([] {
    netns::SilentResolver resolver;
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    {
      ScopedCountingHook hook;
      WSASetLastError(0);
      EXPECT_EQ(gethostbyname("quillmar-silent.test"), nullptr);  // a name the hosts file lacks
      EXPECT_EQ(WSAGetLastError(), WSATRY_AGAIN);
      EXPECT_GE(g_hookCalls, 2) << "the calling thread did not wait beside the hook";
    }
    EXPECT_GE(resolver.TakeQueries(), 1) << "the look-up never reached the silent resolver";
    WSACleanup();
  });
}

// The worker only looks up; the record and the last error belong to the
// calling thread, as the library gives them.
TEST_F(ResolverWait, RecordsAndErrorsStayWithTheCallingThread) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for private network and mount namespaces";
  VQ_RUN_IN_CHILD([] {
    const netns::PrivateHostsFile hosts("127.0.0.1 localhost\n");
    ScopedCountingHook hook;
    const hostent* local = gethostbyname("localhost");
    ASSERT_NE(local, nullptr) << WSAGetLastError();
    EXPECT_STREQ(local->h_name, "localhost");  // still alive after the worker has gone
    EXPECT_EQ(FirstAddress(local), inet_addr("127.0.0.1"));

    std::atomic<const hostent*> other{nullptr};
    std::thread([&other] { other = gethostbyname("10.1.2.3"); }).join();
    EXPECT_NE(other.load(), local);
    EXPECT_STREQ(local->h_name, "localhost");  // another thread's look-up leaves ours alone

    WSASetLastError(0);
    EXPECT_EQ(gethostbyname("quillmar-missing.invalid"), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
    const u_long unknown = inet_addr("10.1.2.3");
    EXPECT_EQ(gethostbyaddr(reinterpret_cast<const char*>(&unknown), 4, AF_INET), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
    EXPECT_EQ(gethostbyname("localhost"), local);  // the same per-thread record, refilled
    const servent* ftp = getservbyname("ftp", nullptr);
    ASSERT_NE(ftp, nullptr);
    EXPECT_STREQ(ftp->s_name, "ftp");
  });
}

// Texts the system resolver would read as octal or hex addresses are names
// here; only the hosts file can know them.
TEST_F(ResolverWait, NumericLookingNamesComeOnlyFromTheHostsFile) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for private network and mount namespaces";
  VQ_RUN_IN_CHILD([] {
    netns::SilentResolver resolver("127.0.0.1 localhost\n10.9.8.7 router 010.1\n");
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    const hostent* host = gethostbyname("010.1");
    ASSERT_NE(host, nullptr) << WSAGetLastError();
    EXPECT_STREQ(host->h_name, "router");
    EXPECT_EQ(FirstAddress(host), inet_addr("10.9.8.7"));
    ASSERT_NE(host->h_aliases[0], nullptr);
    EXPECT_STREQ(host->h_aliases[0], "010.1");

    for (const char* name : {"0x7f.1", "0177.1", "16909060", "10.65539"}) {
      WSASetLastError(0);
      EXPECT_EQ(gethostbyname(name), nullptr) << name;
      EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND) << name;
    }
    EXPECT_EQ(resolver.TakeQueries(), 0);  // none of them went to DNS
    WSACleanup();
  });
}

// The window's close during a look-up cancels the wait (the hook calls
// CancelBlockingCall): the look-up fails as interrupted at once, while the
// resolver still has the query, and a later look-up of the thread works.
netns::SilentResolver* g_resolver = nullptr;

BOOL CancelOnceAsked() {
  if (g_resolver->TakeQueries() > 0) kernel::CancelBlockingCall();
  return FALSE;
}

TEST_F(ResolverWait, CancelledLookupFailsAsInterrupted) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for private network and mount namespaces";
  VQ_RUN_IN_CHILD(
      [] {
        netns::SilentResolver resolver("127.0.0.1 localhost\n", netns::SilentResolver::Patience::Minutes);
        g_resolver = &resolver;
        WSADATA data{};
        ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
        const BLOCKINGHOOKPROC previous = kernel::SetBlockingHook(&CancelOnceAsked);
        WSASetLastError(0);
        EXPECT_EQ(gethostbyname("quillmar-slow.test"), nullptr);
        EXPECT_EQ(WSAGetLastError(), WSAEINTR);
        const hostent* local = gethostbyname("localhost");  // the abandoned worker still waits on DNS
        kernel::SetBlockingHook(previous);
        ASSERT_NE(local, nullptr) << WSAGetLastError();
        EXPECT_EQ(FirstAddress(local), inet_addr("127.0.0.1"));
        WSACleanup();
      },
      20);  // far less than the resolver's patience: a wait that ignores the cancel fails
}

// Texts no DNS name can be, mistyped addresses above all, are looked up in
// the hosts file only.
TEST_F(ResolverWait, MistypedAddressesAndNamesWithBlanksNeverReachTheResolver) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for private network and mount namespaces";
  VQ_RUN_IN_CHILD([] {
    netns::SilentResolver resolver("127.0.0.1 localhost\n10.9.8.7 router 1.2.3.4.5\n");
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    const hostent* host = gethostbyname("1.2.3.4.5");  // a name still, when the hosts file has it
    ASSERT_NE(host, nullptr) << WSAGetLastError();
    EXPECT_EQ(FirstAddress(host), inet_addr("10.9.8.7"));
    for (const char* name :
         {"127.0.0.256", "300.1.1.1", "1.2.3.4.6", "host.example.123", "host.example.123.", "a\tb", "a b", "a\001b",
          "host\x7f.test", "host.test\n", "127.0.0.1:6971", "[127.0.0.1]", "1.2.3.4%lo", "127.0.0.1/24", "-", "-x",
          "a..b", ".a", "caf\xC3\xA9.test",
          // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
          "host\xE2\x80\xAE.test", "\xFF\xFE"}) {
      WSASetLastError(0);
      EXPECT_EQ(gethostbyname(name), nullptr) << name;
      EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND) << name;
    }
    EXPECT_EQ(resolver.TakeQueries(), 0);                            // none of them went to DNS
    EXPECT_EQ(gethostbyname("quillmar-asked.example.1a"), nullptr);  // letters in the last label: a DNS name
    EXPECT_EQ(resolver.TakeQueries(), 1);
    EXPECT_EQ(gethostbyname("quillmar_asked-2.example."), nullptr);  // '_', '-' and a final dot: a name too
    EXPECT_EQ(resolver.TakeQueries(), 1);
    WSACleanup();
  });
}

}  // namespace
