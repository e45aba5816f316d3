#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/net/net_test_support.h"
#include "tests/net/resolver_misses.h"

namespace {

using FileSocketAddress = SocketTableTest;

std::vector<std::string> Aliases(const CStringList& list) {
  std::vector<std::string> names;
  for (const CString& alias : list) names.emplace_back(alias.str());
  return names;
}

// What the resolver itself answers, copied out of its per-thread record:
// the expectations do not depend on how the machine's hosts file names
// loopback.
struct ResolverAnswer {
  std::string name;
  std::string dotted;  // the first address
  std::vector<std::string> aliases;
};

ResolverAnswer Copy(const hostent* host) {
  ResolverAnswer answer;
  if (host == nullptr) return answer;
  answer.name = host->h_name;
  in_addr first;
  std::memcpy(&first, host->h_addr_list[0], sizeof(first));
  answer.dotted = g_pSocketApi->inet_ntoa(first);
  for (char** alias = host->h_aliases; *alias != nullptr; ++alias) answer.aliases.emplace_back(*alias);
  return answer;
}

ResolverAnswer AnswerForName(const char* name) { return Copy(g_pSocketApi->gethostbyname(name)); }

ResolverAnswer AnswerForAddress(const char* dotted) {
  const u_long address = g_pSocketApi->inet_addr(dotted);
  return Copy(g_pSocketApi->gethostbyaddr(reinterpret_cast<const char*>(&address), 4, AF_INET));
}

TEST_F(FileSocketAddress, NewObjectHasNoSocketAndEmptyMembers) {
  TestSocket s;
  EXPECT_TRUE(s.IsClosed());
  EXPECT_EQ(s.m_hFile, CFile::hFileNull);
  EXPECT_EQ(s.m_wPort, 0);
  EXPECT_TRUE(s.m_strPortName.IsEmpty() && s.m_strDottedAddress.IsEmpty() && s.m_strHostName.IsEmpty());
  EXPECT_TRUE(s.m_listAliases.IsEmpty());
  EXPECT_EQ(s.m_listAliases.GetBlockSize(), 10);
  EXPECT_EQ(s.GetTerminator(), '\n');
  EXPECT_EQ(s.GetErrorCode(), 0u);
  EXPECT_EQ(s.GetReserved(), 0u);
}

TEST_F(FileSocketAddress, DottedAddressesAreLookedUpInReverse) {
  TestSocket s;
  const ResolverAnswer loopback = AnswerForAddress("127.0.0.1");
  ASSERT_FALSE(loopback.name.empty()) << "the hosts file names no 127.0.0.1";
  s.SetAddress("127.0.0.1");
  EXPECT_EQ(s.m_strDottedAddress, "127.0.0.1");
  EXPECT_EQ(s.m_strHostName, loopback.name.c_str());
  EXPECT_EQ(Aliases(s.m_listAliases), loopback.aliases);
  EXPECT_EQ(s.m_dwErrorCode, 0u);

  // No hosts entry: the text stays in both members and the error is kept.
  s.SetAddress("10.1.2.3");
  EXPECT_EQ(s.m_strDottedAddress, "10.1.2.3");
  EXPECT_EQ(s.m_strHostName, "10.1.2.3");
  EXPECT_TRUE(s.m_listAliases.IsEmpty());
  EXPECT_EQ(s.m_dwErrorCode, nettest::ReverseMissError("10.1.2.3"));
  EXPECT_NE(s.m_dwErrorCode, 0u);
}

TEST_F(FileSocketAddress, HostNamesResolveToTheirFirstAddress) {
  TestSocket s;
  const ResolverAnswer localhost = AnswerForName("localhost");
  ASSERT_FALSE(localhost.name.empty()) << "localhost does not resolve";
  s.SetAddress("localhost");
  EXPECT_EQ(s.m_strDottedAddress, localhost.dotted.c_str());
  EXPECT_EQ(s.m_strHostName, localhost.name.c_str());
  EXPECT_EQ(Aliases(s.m_listAliases), localhost.aliases);

  // Not a dotted quad, so a name; the hosts file has none such, and the
  // system must not read it as hex.
  s.SetAddress("0x7f.1");
  EXPECT_TRUE(s.m_strDottedAddress.IsEmpty());
  EXPECT_EQ(s.m_dwErrorCode, static_cast<DWORD>(WSAHOST_NOT_FOUND));

  s.SetAddress("nosuchhost.invalid");
  EXPECT_TRUE(s.m_strDottedAddress.IsEmpty());
  EXPECT_TRUE(s.m_strHostName.IsEmpty());
  EXPECT_TRUE(s.m_listAliases.IsEmpty());
  EXPECT_EQ(s.m_dwErrorCode, nettest::NameMissError("nosuchhost.invalid"));
  EXPECT_NE(s.m_dwErrorCode, 0u);

  s.SetAddress("localhost");
  s.m_dwErrorCode = 4242;
  s.SetAddress(nullptr);  // empties everything, error untouched
  EXPECT_TRUE(s.m_strDottedAddress.IsEmpty() && s.m_strHostName.IsEmpty() && s.m_listAliases.IsEmpty());
  EXPECT_EQ(s.m_dwErrorCode, 4242u);
}

TEST_F(FileSocketAddress, PortsByNumberAndByText) {
  TestSocket s;
  WORD port = 0;
  s.SetPort(WORD{80});
  s.GetPort(port);
  EXPECT_EQ(port, 80);
  EXPECT_EQ(s.m_wPort, g_pSocketApi->htons(80));
  EXPECT_EQ(s.m_strPortName, "http");

  s.SetPort(WORD{6971});
  EXPECT_EQ(s.m_strPortName, "Port #6971");
  EXPECT_NE(s.m_dwErrorCode, 0u);
  s.GetPort(port);
  EXPECT_EQ(port, 6971);
  s.SetPort(WORD{40000});
  EXPECT_EQ(s.m_strPortName, "Port #40000");

  s.SetPort(" 80x");
  s.GetPort(port);
  EXPECT_EQ(port, 80);
  s.SetPort("FTP");
  s.GetPort(port);
  EXPECT_EQ(port, 21);
  EXPECT_EQ(s.m_strPortName, "ftp");

  // "0" is a service name; none is registered, so nothing changes.
  s.m_dwErrorCode = 0;
  s.SetPort("0");
  EXPECT_EQ(s.m_strPortName, "ftp");
  EXPECT_NE(s.m_dwErrorCode, 0u);

  s.SetPort(static_cast<LPCSTR>(nullptr));
  EXPECT_TRUE(s.m_strPortName.IsEmpty());
  EXPECT_EQ(s.m_wPort, 0);
}

TEST_F(FileSocketAddress, SetNameAndTerminator) {
  TestSocket s;
  s.SetName("server");
  CString name;
  s.GetName(name);
  EXPECT_EQ(name, "server");
  s.SetName(nullptr);
  EXPECT_TRUE(s.m_strHostName.IsEmpty());
  s.SetTerminator(';');
  EXPECT_EQ(s.GetTerminator(), ';');
}

}  // namespace
