#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>

#include "net/socket_api_table.h"
#include "platform/kernel/abort.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/modules.h"
#include "platform/kernel/version.h"
#include "tests/net/net_test_support.h"
#include "tests/support/text_lines.h"
#include "tests/support/platform_seams/module_override.h"
#include "tests/support/platform_seams/startup_failure.h"
#include "tests/support/platform_seams/version_override.h"

namespace {

using SocketApiTable = SocketTableTest;

struct VersionRow {
  DWORD platform;
  DWORD major;
  DWORD minor;
  const char* library;  // "" for none
};

void PrintTo(const VersionRow& row, std::ostream* os) {
  *os << "platform " << row.platform << " version " << row.major << "." << row.minor << " -> \"" << row.library << "\"";
}

class SocketApiLibraryChoice : public SocketTableTest, public ::testing::WithParamInterface<VersionRow> {};

TEST_P(SocketApiLibraryChoice, FollowsTheSystemVersion) {
  const VersionRow row = GetParam();
  vqtest::ScopedVersionOverride version(row.platform, row.major, row.minor);
  const int loadsBefore = *row.library ? vqtest::ModuleLoadCount(row.library) : 0;
  LoadSocketApi();
  ASSERT_NE(g_pSocketApi, nullptr);
  EXPECT_STREQ(g_pSocketApi->m_szLibraryName, row.library);
  if (*row.library) {
    EXPECT_NE(g_pSocketApi->m_hLibrary, nullptr);
    EXPECT_EQ(vqtest::ModuleLoadCount(row.library), loadsBefore + 1);
    EXPECT_EQ(g_pSocketApi->htons(0x1234), 0x3412);
  } else {
    // No library: every entry is its fallback.
    EXPECT_EQ(g_pSocketApi->m_hLibrary, nullptr);
    WSADATA data{};
    EXPECT_EQ(g_pSocketApi->WSAStartup(MAKEWORD(1, 1), &data), 120);
    EXPECT_EQ(g_pSocketApi->socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
  }
  CleanupSockets();
  if (*row.library) {
    EXPECT_EQ(vqtest::ModuleLoadCount(row.library), loadsBefore);
  }
}

INSTANTIATE_TEST_SUITE_P(VersionTable, SocketApiLibraryChoice,
                         ::testing::Values(VersionRow{VER_PLATFORM_WIN32_NT, 4, 0, "ws2_32.dll"},
                                           VersionRow{VER_PLATFORM_WIN32_NT, 3, 51, "wsock32.dll"},
                                           VersionRow{VER_PLATFORM_WIN32_NT, 5, 0, "wsock32.dll"},
                                           VersionRow{VER_PLATFORM_WIN32_WINDOWS, 4, 0, "wsock32.dll"},
                                           VersionRow{VER_PLATFORM_WIN32_WINDOWS, 4, 10, "wsock32.dll"},
                                           VersionRow{VER_PLATFORM_WIN32s, 3, 11, ""}, VersionRow{7, 4, 0, ""}));

TEST_F(SocketApiTable, FailedVersionQueryChoosesNoLibrary) {
  auto failing = vqtest::ScopedVersionOverride::Failing();
  LoadSocketApi();
  ASSERT_NE(g_pSocketApi, nullptr);
  EXPECT_STREQ(g_pSocketApi->m_szLibraryName, "");
  EXPECT_EQ(g_pSocketApi->m_hLibrary, nullptr);
  CleanupSockets();
}

TEST_F(SocketApiTable, MissingExportsBecomeFallbacksThatReportNotImplemented) {
  auto exports = vqtest::BuiltinExports("ws2_32.dll");
  for (const char* name : {"htons", "inet_ntoa", "recv", "WSAGetLastError", "WSASetLastError", "__WSAFDIsSet"}) {
    exports = vqtest::WithoutExport(exports, name);
  }
  vqtest::ScopedModuleOverride standIn("ws2_32.dll", exports);
  LoadSocketApi();
  ASSERT_NE(g_pSocketApi, nullptr);
  const SOCKET_API_TABLE& api = *g_pSocketApi;

  SetLastError(0);
  EXPECT_EQ(api.htons(80), 0);  // not the swapped value
  EXPECT_EQ(GetLastError(), 120u);
  SetLastError(0);
  EXPECT_EQ(api.inet_ntoa(in_addr{0x0100007F}), nullptr);
  EXPECT_EQ(GetLastError(), 120u);
  char byte = 0;
  EXPECT_EQ(api.recv(1, &byte, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(api.WSAGetLastError(), 120);
  SetLastError(0);
  api.WSASetLastError(10055);
  EXPECT_EQ(GetLastError(), 120u);
  fd_set set{};
  EXPECT_EQ(api.__WSAFDIsSet(1, &set), 0);
  // What the stand-in does export is bound as it is.
  EXPECT_EQ(api.ntohs(0x1234), 0x3412);
  EXPECT_EQ(api.inet_addr("1.2.3.4"), 0x04030201u);
  CleanupSockets();
}

TEST_F(SocketApiTable, UnusedPositionsStayNullWhateverTheLibraryExports) {
  auto exports =
      vqtest::WithExport(vqtest::BuiltinExports("ws2_32.dll"), "TransmitFile", kernel::AsFarProc(+[]() { return 1; }));
  vqtest::ScopedModuleOverride standIn("ws2_32.dll", exports);
  LoadSocketApi();
  ASSERT_NE(g_pSocketApi, nullptr);
  for (FARPROC entry : g_pSocketApi->m_apfnUnused35To47) EXPECT_EQ(entry, nullptr);
  for (FARPROC entry : g_pSocketApi->m_apfnUnused49To50) EXPECT_EQ(entry, nullptr);
  EXPECT_EQ(g_pSocketApi->TransmitFile, nullptr);
  EXPECT_NE(g_pSocketApi->__WSAFDIsSet, nullptr);
  CleanupSockets();
}

TEST_F(SocketApiTable, ExistingTableIsNeverRebuiltAndCleanupWithoutTableDoesNothing) {
  CleanupSockets();
  EXPECT_EQ(g_pSocketApi, nullptr);
  LoadSocketApi();
  SOCKET_API_TABLE* first = g_pSocketApi;
  HMODULE library = first->m_hLibrary;
  const int loads = vqtest::ModuleLoadCount("ws2_32.dll");
  LoadSocketApi();
  EXPECT_EQ(g_pSocketApi, first);
  EXPECT_EQ(g_pSocketApi->m_hLibrary, library);
  EXPECT_EQ(vqtest::ModuleLoadCount("ws2_32.dll"), loads);
  CleanupSockets();
  EXPECT_EQ(g_pSocketApi, nullptr);
}

// Counting stand-ins around the real start-up and clean-up.
int g_startups = 0;
int g_cleanups = 0;
int CountingStartup(WORD version, LPWSADATA data) {
  ++g_startups;
  return winsock::WSAStartup(version, data);
}
int CountingCleanup() {
  ++g_cleanups;
  return winsock::WSACleanup();
}

TEST_F(SocketApiTable, LiveObjectsShareOneStartupAndTheLastOneCleansUp) {
  auto exports = vqtest::BuiltinExports("ws2_32.dll");
  exports = vqtest::WithExport(exports, "WSAStartup", kernel::AsFarProc(&CountingStartup));
  exports = vqtest::WithExport(exports, "WSACleanup", kernel::AsFarProc(&CountingCleanup));
  vqtest::ScopedModuleOverride standIn("ws2_32.dll", exports);
  g_startups = g_cleanups = 0;
  const int loadsBefore = vqtest::ModuleLoadCount("ws2_32.dll");
  SOCKET_API_TABLE* firstTable = nullptr;
  {
    TestSocket first;
    firstTable = g_pSocketApi;
    ASSERT_NE(firstTable, nullptr);
    {
      TestSocket second;
      EXPECT_EQ(g_nSocketUsers, 2);
      EXPECT_EQ(g_pSocketApi, firstTable);
    }
    EXPECT_EQ(g_nSocketUsers, 1);
    EXPECT_EQ(g_cleanups, 0);
    EXPECT_EQ(vqtest::ModuleLoadCount("ws2_32.dll"), loadsBefore + 1);
  }
  EXPECT_EQ(g_startups, 1);
  EXPECT_EQ(g_cleanups, 1);
  EXPECT_EQ(vqtest::ModuleLoadCount("ws2_32.dll"), loadsBefore);

  // A new first object loads and starts everything again.
  {
    TestSocket again;
    EXPECT_EQ(g_startups, 2);
    EXPECT_EQ(vqtest::ModuleLoadCount("ws2_32.dll"), loadsBefore + 1);
    EXPECT_STREQ(g_pSocketApi->m_szLibraryName, "ws2_32.dll");
  }
  EXPECT_EQ(g_cleanups, 2);
}

using SocketApiDeathTest = SocketTableTest;

// The child's only output may be the toolkit's own start-up notes.
class NothingButToolkitNotes : public ::testing::MatcherInterface<const std::string&> {
 public:
  bool MatchAndExplain(const std::string& output, ::testing::MatchResultListener* /*listener*/) const override {
    return std::ranges::all_of(vqtest::Lines(output), [](const std::string& line) {
      return line.empty() || line.rfind("QStandardPaths:", 0) == 0;
    });
  }
  void DescribeTo(std::ostream* os) const override { *os << "has no message of the program's own"; }
};

TEST_F(SocketApiDeathTest, FirstObjectEndsTheProcessWhenSocketsCannotStart) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto exitCode = ::testing::ExitedWithCode(kernel::kAbortExitCode);
  const ::testing::Matcher<const std::string&> silent = ::testing::MakeMatcher(new NothingButToolkitNotes);
  EXPECT_EXIT(
      {
        vqtest::ScopedVersionOverride win32s(VER_PLATFORM_WIN32s, 1, 30);
        TestSocket s;
      },
      exitCode, silent);
  EXPECT_EXIT(
      {
        auto failing = vqtest::ScopedVersionOverride::Failing();
        TestSocket s;
      },
      exitCode, silent);
  EXPECT_EXIT(
      {
        vqtest::ScopedModuleOverride standIn("ws2_32.dll",
                                             vqtest::WithoutExport(vqtest::BuiltinExports("ws2_32.dll"), "WSAStartup"));
        TestSocket s;
      },
      exitCode, silent);
  EXPECT_EXIT(
      {
        vqtest::ScopedStartupFailure notReady;
        TestSocket s;
      },
      exitCode, silent);
}

}  // namespace
