// Address look-ups of the socket class through stand-in resolvers and
// sockets libraries (the platform's module seam).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/framework/file_exception.h"
#include "platform/kernel/modules.h"
#include "tests/net/net_test_support.h"
#include "tests/support/platform_seams/module_override.h"

namespace {

using FileSocketAddress = SocketTableTest;

// Stand-in resolver that records which look-up was asked for what.
std::string g_lookup;
hostent* RecordByName(const char* name) {
  g_lookup = std::string("name:") + name;
  return nullptr;
}
hostent* RecordByAddress(const char* address, int length, int type) {
  u_long value = 0;
  std::memcpy(&value, address, sizeof(value));
  g_lookup = "address:" + std::to_string(value) + "/" + std::to_string(length) + "/" + std::to_string(type);
  return nullptr;
}
hostent* ThrowingByName(const char* /*name*/) { AfxThrowFileException(CFileException::generic); }

vqtest::ScopedModuleOverride RecordingResolver() {
  auto exports = vqtest::BuiltinExports("ws2_32.dll");
  exports = vqtest::WithExport(exports, "gethostbyname", kernel::AsFarProc(&RecordByName));
  exports = vqtest::WithExport(exports, "gethostbyaddr", kernel::AsFarProc(&RecordByAddress));
  return vqtest::ScopedModuleOverride("ws2_32.dll", exports);
}

TEST_F(FileSocketAddress, TextIsNumericOnlyWhenAllDigitsAndDots) {
  auto resolver = RecordingResolver();
  TestSocket s;
  const std::string none = "address:" + std::to_string(INADDR_NONE) + "/4/2";
  s.SetAddress("");
  EXPECT_EQ(g_lookup, none);
  s.SetAddress("1.2.3.4.5");
  EXPECT_EQ(g_lookup, none);
  EXPECT_EQ(s.m_strHostName, "1.2.3.4.5");
  s.SetAddress("12a.3");
  EXPECT_EQ(g_lookup, "name:12a.3");
  EXPECT_TRUE(s.m_strHostName.IsEmpty());
  // Leading zeros are decimal; other numeric forms are no address.
  s.SetAddress("192.168.001.010");
  EXPECT_EQ(g_lookup, "address:" + std::to_string(0x0A01A8C0u) + "/4/2");  // 192.168.1.10 in network order
  s.SetAddress("10.1");
  EXPECT_EQ(g_lookup, none);

  const std::string longName(5000, 'h');
  s.SetAddress(longName.c_str());
  EXPECT_EQ(g_lookup, "name:" + longName.substr(0, 4095));
}

TEST_F(FileSocketAddress, ResolverExceptionsAreCaught) {
  vqtest::ScopedModuleOverride resolver("ws2_32.dll",
                                        vqtest::WithExport(vqtest::BuiltinExports("ws2_32.dll"), "gethostbyname",
                                                           kernel::AsFarProc(&ThrowingByName)));
  TestSocket s;
  EXPECT_NO_THROW(s.SetAddress("example.invalid"));
  EXPECT_TRUE(s.m_strHostName.IsEmpty());
  EXPECT_EQ(s.m_dwErrorCode, 0u);
}

TEST_F(FileSocketAddress, PortIsZeroWhileHtonsIsMissing) {
  vqtest::ScopedModuleOverride standIn("ws2_32.dll",
                                       vqtest::WithoutExport(vqtest::BuiltinExports("ws2_32.dll"), "htons"));
  TestSocket s;
  s.SetPort("80");
  EXPECT_EQ(s.m_wPort, 0);
}

}  // namespace
