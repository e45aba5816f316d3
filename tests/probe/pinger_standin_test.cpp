// CPinger over stand-in ICMP.DLL modules: missing entry points, failing and
// throwing calls, error replies, and the exact arguments of the echo call.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "probe/pinger.h"
#include "platform/framework/afx.h"
#include "platform/kernel/global_memory.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/modules.h"
#include "tests/support/ping_record_checks.h"
#include "tests/support/platform_seams/global_memory_seams.h"
#include "tests/support/platform_seams/module_override.h"

namespace {

using Bytes = std::vector<BYTE>;
using vqtest::EchoReply;
using vqtest::ExpectHolds;
using vqtest::Ipv4;

const std::string kRequestText = "Vendrisk Olmaquetra Vendrisk Olmaquetra Vendrisk Olmaquetra";
const HANDLE kEchoHandle = reinterpret_cast<HANDLE>(0x5150);

// What the stand-ins are told to do and what they saw.
struct EchoCall {
  IPAddr destination = 0;
  Bytes request;
  bool optionsGiven = false;
  DWORD replySize = 0;
  DWORD timeout = 0;
  bool replyBlockZeroed = false;
};

struct StandInState {
  enum class Outcome { Reply, Fail, ThrowStd, ThrowFramework };
  bool createFails = false;
  Outcome outcome = Outcome::Reply;
  ICMP_ECHO_REPLY reply{};
  DWORD failureError = 0;
  int createCalls = 0;
  int closeCalls = 0;
  HANDLE closedHandle = nullptr;
  std::vector<EchoCall> calls;
};

StandInState g_standIn;

HANDLE StandInCreateFile() {
  ++g_standIn.createCalls;
  SetLastError(ERROR_ACCESS_DENIED);  // must not become the error code
  return g_standIn.createFails ? INVALID_HANDLE_VALUE : kEchoHandle;
}

BOOL StandInCloseHandle(HANDLE handle) {
  ++g_standIn.closeCalls;
  g_standIn.closedHandle = handle;
  return TRUE;
}

DWORD StandInSendEcho(HANDLE handle, IPAddr destination, LPVOID requestData, WORD requestSize,
                      PIP_OPTION_INFORMATION options, LPVOID replyBuffer, DWORD replySize, DWORD timeout) {
  EXPECT_EQ(handle, kEchoHandle);
  EchoCall call;
  call.destination = destination;
  const auto* request = static_cast<const BYTE*>(requestData);
  call.request.assign(request, request + requestSize);
  call.optionsGiven = options != nullptr;
  call.replySize = replySize;
  call.timeout = timeout;
  const auto* reply = static_cast<const BYTE*>(replyBuffer);
  call.replyBlockZeroed = replySize > 0 && Bytes(reply, reply + replySize) == Bytes(replySize, 0);
  g_standIn.calls.push_back(call);
  switch (g_standIn.outcome) {
    case StandInState::Outcome::Reply: std::memcpy(replyBuffer, &g_standIn.reply, sizeof g_standIn.reply); return 1;
    case StandInState::Outcome::Fail: SetLastError(g_standIn.failureError); return 0;
    case StandInState::Outcome::ThrowStd: throw std::runtime_error("echo failed inside the library");
    case StandInState::Outcome::ThrowFramework: throw new CArchiveException(CArchiveException::generic);
  }
  return 0;
}

std::vector<kernel::ModuleExport> StandIns() {
  return {
      {"IcmpCreateFile", kernel::AsFarProc(&StandInCreateFile)},
      {"IcmpCloseHandle", kernel::AsFarProc(&StandInCloseHandle)},
      {"IcmpSendEcho", kernel::AsFarProc(&StandInSendEcho)},
  };
}

class PingerStandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_standIn = StandInState{};
    g_standIn.reply = EchoReply(Ipv4(127, 0, 0, 1), IP_SUCCESS, 4, 64);
    m_liveBlocks = vqtest::LiveGlobalBlockCount();
    m_record.m_strReplyAddress = "10.9.9.9";
    m_record.m_dwRoundTripTime = 99;
    m_record.m_byTimeToLive = 9;
  }

  // Whatever the outcome, a call leaves no reply block behind.
  void TearDown() override { EXPECT_EQ(vqtest::LiveGlobalBlockCount(), m_liveBlocks); }

  void ExpectRecordUntouched() const { ExpectHolds(m_record, "10.9.9.9", 99, 9); }

  int m_liveBlocks = 0;
  CPingResults m_record;
};

TEST_F(PingerStandInTest, WithoutTheLibraryFailsBeforeResolving) {
  const vqtest::ScopedModuleOverride absent = vqtest::ScopedModuleOverride::Absent("ICMP.DLL");
  CPinger pinger;
  EXPECT_EQ(pinger.m_hIcmpLibrary, nullptr);
  EXPECT_EQ(pinger.m_pfnIcmpCreateFile, nullptr);
  EXPECT_EQ(pinger.m_pfnIcmpCloseHandle, nullptr);
  EXPECT_EQ(pinger.m_pfnIcmpSendEcho, nullptr);
  EXPECT_EQ(pinger.m_dwErrorCode, 0u);  // the constructor records nothing
  EXPECT_EQ(pinger.Ping("127.0.0.1", &m_record, 255), 0u);
  EXPECT_EQ(pinger.m_dwErrorCode, static_cast<DWORD>(ERROR_INVALID_ADDRESS));
  EXPECT_TRUE(pinger.m_strDottedAddress.IsEmpty());
  ExpectRecordUntouched();
}

TEST_F(PingerStandInTest, WithoutCreateFileFailsBeforeOpening) {
  const vqtest::ScopedModuleOverride module("ICMP.DLL", vqtest::WithoutExport(StandIns(), "IcmpCreateFile"));
  CPinger pinger;
  EXPECT_EQ(pinger.Ping("127.0.0.1", &m_record, 255), 0u);
  EXPECT_EQ(pinger.m_dwErrorCode, static_cast<DWORD>(ERROR_INVALID_ADDRESS));
  EXPECT_TRUE(pinger.m_strDottedAddress.IsEmpty());
  EXPECT_TRUE(g_standIn.calls.empty());
  EXPECT_EQ(g_standIn.closeCalls, 0);
}

TEST_F(PingerStandInTest, WithoutSendEchoFailsAfterResolvingAndReleasesEverything) {
  const vqtest::ScopedModuleOverride module("ICMP.DLL", vqtest::WithoutExport(StandIns(), "IcmpSendEcho"));
  CPinger pinger;
  EXPECT_EQ(pinger.Ping("127.0.0.1", &m_record, 255), 0u);
  EXPECT_EQ(pinger.m_dwErrorCode, static_cast<DWORD>(ERROR_INVALID_ADDRESS));
  EXPECT_STREQ(pinger.m_strDottedAddress, "127.0.0.1");
  EXPECT_EQ(g_standIn.createCalls, 1);
  EXPECT_EQ(g_standIn.closeCalls, 1);
  EXPECT_EQ(g_standIn.closedHandle, kEchoHandle);
  ExpectRecordUntouched();
}

TEST_F(PingerStandInTest, FailedCreateFileGivesTheFixedCode6) {
  g_standIn.createFails = true;
  const vqtest::ScopedModuleOverride module("ICMP.DLL", StandIns());
  CPinger pinger;
  EXPECT_EQ(pinger.Ping("127.0.0.1", &m_record, 255), 0u);
  EXPECT_EQ(pinger.m_dwErrorCode, static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(pinger.m_strDottedAddress.IsEmpty());
  EXPECT_TRUE(g_standIn.calls.empty());
  EXPECT_EQ(g_standIn.closeCalls, 0);
  ExpectRecordUntouched();
}

TEST_F(PingerStandInTest, NoReplyBlockGivesCode8AndClosesTheHandle) {
  const vqtest::ScopedModuleOverride module("ICMP.DLL", StandIns());
  CPinger pinger;
  pinger.m_dwErrorCode = 12345;  // left from an earlier failure
  {
    const vqtest::ScopedGlobalAllocFailure noMemory;
    EXPECT_EQ(pinger.Ping("127.0.0.1", &m_record, 255), 0u);
  }
  EXPECT_EQ(pinger.m_dwErrorCode, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_TRUE(g_standIn.calls.empty());
  EXPECT_EQ(g_standIn.closeCalls, 1);
  EXPECT_FALSE(pinger.EchoNotPermitted());
  ExpectRecordUntouched();
  EXPECT_EQ(pinger.Ping("127.0.0.1", &m_record, 255), 1u) << "memory back, the next ping works";
}

TEST_F(PingerStandInTest, SendsTheFixedRequestAndCopiesTheReply) {
  const vqtest::ScopedModuleOverride module("ICMP.DLL", StandIns());
  const int loadsBefore = vqtest::ModuleLoadCount("ICMP.DLL");
  {
    CPinger pinger;
    EXPECT_EQ(vqtest::ModuleLoadCount("ICMP.DLL"), loadsBefore + 1);
    g_standIn.reply = EchoReply(Ipv4(127, 0, 0, 1), IP_SUCCESS, 4, 64);
    EXPECT_EQ(pinger.Ping("127.0.0.1", &m_record, 255), 1u);
    ExpectHolds(m_record, "127.0.0.1", 4, 64);
    EXPECT_EQ(pinger.LastRoundTripMicroseconds(), 4000) << "a library without microseconds: its milliseconds";
    ASSERT_EQ(g_standIn.calls.size(), 1u);
    const EchoCall& call = g_standIn.calls[0];
    EXPECT_EQ(call.destination, Ipv4(127, 0, 0, 1));
    EXPECT_EQ(call.request, Bytes(kRequestText.begin(), kRequestText.end()));
    EXPECT_FALSE(call.optionsGiven);
    EXPECT_EQ(call.replySize, 87u);
    EXPECT_EQ(call.timeout, 5000u);
    EXPECT_TRUE(call.replyBlockZeroed);
    EXPECT_EQ(g_standIn.closeCalls, 1);
    EXPECT_FALSE(pinger.EchoNotPermitted());

    // Without a record the count is the same.
    EXPECT_EQ(pinger.Ping("127.0.0.1", nullptr, 255), 1u);
    EXPECT_EQ(g_standIn.closeCalls, 2);
  }
  EXPECT_EQ(vqtest::ModuleLoadCount("ICMP.DLL"), loadsBefore);
}

TEST_F(PingerStandInTest, TimeToLiveDoesNotChangeTheRequest) {
  const vqtest::ScopedModuleOverride module("ICMP.DLL", StandIns());
  CPinger pinger;
  EXPECT_EQ(pinger.Ping("127.0.0.1", &m_record, 1), 1u);
  EXPECT_EQ(pinger.Ping("127.0.0.1", &m_record, 255), 1u);
  ASSERT_EQ(g_standIn.calls.size(), 2u);
  const EchoCall& one = g_standIn.calls[0];
  const EchoCall& many = g_standIn.calls[1];
  EXPECT_EQ(one.destination, many.destination);
  EXPECT_EQ(one.request, many.request);
  EXPECT_EQ(one.optionsGiven, many.optionsGiven);
  EXPECT_EQ(one.replySize, many.replySize);
  EXPECT_EQ(one.timeout, many.timeout);
}

// Names go through the resolver; texts that give no address still reach the
// library, with all ones as the destination.
TEST_F(PingerStandInTest, DestinationComesFromTheResolvedAddress) {
  const vqtest::ScopedModuleOverride module("ICMP.DLL", StandIns());
  CPinger pinger;
  EXPECT_EQ(pinger.Ping("localhost", &m_record, 255), 1u);
  EXPECT_STREQ(pinger.m_strDottedAddress, "127.0.0.1");
  pinger.Ping("1.2.3.4.5", &m_record, 255);
  pinger.Ping("nohost.invalid", &m_record, 255);
  EXPECT_TRUE(pinger.m_strDottedAddress.IsEmpty());
  ASSERT_EQ(g_standIn.calls.size(), 3u);
  EXPECT_EQ(g_standIn.calls[0].destination, Ipv4(127, 0, 0, 1));
  EXPECT_EQ(g_standIn.calls[1].destination, 0xFFFFFFFFu);
  EXPECT_EQ(g_standIn.calls[2].destination, 0xFFFFFFFFu);
}

TEST_F(PingerStandInTest, FailedEchoTakesTheThreadsLastError) {
  g_standIn.outcome = StandInState::Outcome::Fail;
  const vqtest::ScopedModuleOverride module("ICMP.DLL", StandIns());
  CPinger pinger;
  for (DWORD error : {static_cast<DWORD>(IP_REQ_TIMED_OUT), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY)}) {
    g_standIn.failureError = error;
    EXPECT_EQ(pinger.Ping("127.0.0.1", &m_record, 255), 0u);
    EXPECT_EQ(pinger.m_dwErrorCode, error);
    EXPECT_EQ(pinger.LastRoundTripMicroseconds(), -1);
  }
  EXPECT_EQ(g_standIn.closeCalls, 2);
  ExpectRecordUntouched();
}

// A stored reply that reports an error about the request is no echo: the
// ping fails with the reply's status and the record keeps what it had.
TEST_F(PingerStandInTest, ErrorReplyIsAFailureWithItsStatus) {
  const vqtest::ScopedModuleOverride module("ICMP.DLL", StandIns());
  CPinger pinger;
  for (ULONG status : {IP_DEST_HOST_UNREACHABLE, IP_TTL_EXPIRED_TRANSIT}) {
    g_standIn.reply = EchoReply(Ipv4(192, 0, 2, 1), status, 3, 63);
    EXPECT_EQ(pinger.Ping("192.0.2.9", &m_record, 255), 0u);
    EXPECT_EQ(pinger.m_dwErrorCode, status);
    ExpectRecordUntouched();
  }
  EXPECT_EQ(g_standIn.closeCalls, 2);
}

TEST_F(PingerStandInTest, ExceptionInsideTheEchoGives1064AndReleasesEverything) {
  const vqtest::ScopedModuleOverride module("ICMP.DLL", StandIns());
  CPinger pinger;
  for (auto outcome : {StandInState::Outcome::ThrowStd, StandInState::Outcome::ThrowFramework}) {
    g_standIn.outcome = outcome;
    DWORD replies = 1;
    EXPECT_NO_THROW(replies = pinger.Ping("127.0.0.1", &m_record, 255));
    EXPECT_EQ(replies, 0u);
    EXPECT_EQ(pinger.m_dwErrorCode, static_cast<DWORD>(ERROR_EXCEPTION_IN_SERVICE));
    EXPECT_EQ(vqtest::LiveGlobalBlockCount(), m_liveBlocks);
  }
  EXPECT_EQ(g_standIn.closeCalls, 2);
  EXPECT_EQ(g_standIn.closedHandle, kEchoHandle);
  ExpectRecordUntouched();
}

TEST(PingerStatusText, KnownStatusesAndTheUnknownForm) {
  const vqtest::ScopedModuleOverride absent = vqtest::ScopedModuleOverride::Absent("ICMP.DLL");
  const CPinger pinger;
  struct Case {
    DWORD status;
    const char* text;
  };
  const Case cases[] = {
      {0, "IP_SUCCESS: Success"},
      {11003, "IP_DEST_HOST_UNREACHABLE: Destination Host Unreachable"},
      {11010, "IP_REQ_TIMED_OUT: Request timed out"},
      {11021, "IP_MTU_CHANGE"},
      {11050, "IP_GENERAL_FAILURE"},
      {11255, "IP_PENDING"},
      {1, "Unknown error 1"},
      {11022, "Unknown error 11022"},
      {11049, "Unknown error 11049"},
      {4294967295u, "Unknown error 4294967295"},
  };
  for (const Case& c : cases) {
    CString text = "previous";
    pinger.GetStatusText(c.status, text);
    EXPECT_STREQ(text, c.text) << c.status;
  }
}

}  // namespace
