// The ICMP.DLL module and the argument checks of the echo API.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/icmpapi/icmp_diagnostics.h"
#include "platform/icmpapi/icmpapi.h"
#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/modules.h"
#include "tests/platform/icmpapi/ping_namespaces.h"
#include "tests/support/netns_child.h"
#include "tests/support/netns_namespace.h"

namespace {

TEST(IcmpModule, ExportsTheEchoFunctionsByName) {
  const HMODULE module = LoadLibraryA("icmp.dll");  // names compare case-insensitively
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, "IcmpCreateFile"), kernel::AsFarProc(&IcmpCreateFile));
  EXPECT_EQ(GetProcAddress(module, "IcmpSendEcho"), kernel::AsFarProc(&IcmpSendEcho));
  EXPECT_EQ(GetProcAddress(module, "IcmpCloseHandle"), kernel::AsFarProc(&IcmpCloseHandle));
  EXPECT_TRUE(FreeLibrary(module));
}

TEST(IcmpApi, UnknownHandlesAreRejected) {
  std::uint8_t buffer[128] = {};
  const std::uint8_t data[4] = {1, 2, 3, 4};
  for (HANDLE handle : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x1C00)}) {
    SetLastError(0);
    EXPECT_EQ(IcmpSendEcho(handle, inet_addr("127.0.0.1"), const_cast<std::uint8_t*>(data), 4, nullptr, buffer,
                           sizeof buffer, 100),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(0);
    EXPECT_FALSE(IcmpCloseHandle(handle));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
}

// Calls that must fail before anything is sent. The handle is opened in a
// private namespace, so even a fault that did send could not leave it.
TEST(IcmpApi, BadArgumentsFailBeforeSending) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a network namespace and an ICMP socket";
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = netns::Namespace::Create();
    HANDLE handle;
    {
      netns::ScopedEnter inside(ns);
      handle = IcmpCreateFile();
    }
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_NE(handle, nullptr);
    std::vector<std::uint8_t> data(59, 'x');
    std::vector<std::uint8_t> buffer(28 + 59, 0xEE);
    const IPAddr loopback = inet_addr("127.0.0.1");
    // Requests go out with the system's defaults only.
    IP_OPTION_INFORMATION timeToLive{};
    timeToLive.Ttl = 1;
    IP_OPTION_INFORMATION serviceType{};
    serviceType.Tos = 0x10;
    IP_OPTION_INFORMATION dontFragment{};
    dontFragment.Flags = 0x2;
    std::uint8_t optionBytes[4] = {1, 1, 1, 0};  // no-operation options
    IP_OPTION_INFORMATION rawOptions{};
    rawOptions.OptionsSize = sizeof optionBytes;
    rawOptions.OptionsData = optionBytes;
    struct Case {
      const char* name;
      IPAddr destination;
      void* request;
      WORD requestSize;
      PIP_OPTION_INFORMATION options;
      void* reply;
      DWORD replySize;
      DWORD error;
    };
    const Case cases[] = {
        {"no reply buffer", loopback, data.data(), 59, nullptr, nullptr, 87, ERROR_INVALID_PARAMETER},
        {"no request data", loopback, nullptr, 59, nullptr, buffer.data(), 87, ERROR_INVALID_PARAMETER},
        {"buffer one byte short", loopback, data.data(), 59, nullptr, buffer.data(), 86, IP_BUFF_TOO_SMALL},
        {"buffer smaller than a record", loopback, data.data(), 0, nullptr, buffer.data(), 27, IP_BUFF_TOO_SMALL},
        {"a time to live", loopback, data.data(), 59, &timeToLive, buffer.data(), 87, IP_BAD_OPTION},
        {"a type of service", loopback, data.data(), 59, &serviceType, buffer.data(), 87, IP_BAD_OPTION},
        {"don't fragment", loopback, data.data(), 59, &dontFragment, buffer.data(), 87, IP_BAD_OPTION},
        {"IP options", loopback, data.data(), 59, &rawOptions, buffer.data(), 87, IP_BAD_OPTION},
        {"text that was no address", INADDR_NONE, data.data(), 59, nullptr, buffer.data(), 87, IP_BAD_DESTINATION},
        {"no address", 0, data.data(), 59, nullptr, buffer.data(), 87, IP_BAD_DESTINATION},
    };
    for (const Case& c : cases) {
      SetLastError(0);
      EXPECT_EQ(IcmpSendEcho(handle, c.destination, c.request, c.requestSize, c.options, c.reply, c.replySize, 200), 0u)
          << c.name;
      EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(28 + 59, 0xEE)) << "a failed call wrote into the reply buffer";
    EXPECT_TRUE(IcmpCloseHandle(handle));
    EXPECT_FALSE(IcmpCloseHandle(handle));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  });
}

// Kernel receive stamps are a switch of the whole system that costs whoever
// turns it on: a handle does not ask for them until a thread that may be
// busy when its answer comes (one with a blocking hook) waits on it.
TEST(IcmpApi, AHandleOpensWithoutKernelStamps) {
  if (!netns::HaveRoot()) GTEST_SKIP() << "needs root for a network namespace and an ICMP socket";
  VQ_RUN_IN_CHILD([] {
    const netns::Namespace ns = netns::Namespace::Create();
    netns::ScopedEnter inside(ns);
    kernel::SetBlockingHook([] { return FALSE; });
    const HANDLE handle = IcmpCreateFile();
    kernel::SetBlockingHook(nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(icmpapi_test::KernelStampsOn(handle));
    EXPECT_TRUE(IcmpCloseHandle(handle));
  });
}

}  // namespace
