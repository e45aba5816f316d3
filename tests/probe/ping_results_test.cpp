// The ping results record: copies from echo replies and from other records,
// its archive bytes, and creation by class name.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "probe/ping_results.h"
#include "platform/framework/afx.h"
#include "tests/support/memory_file.h"
#include "tests/support/ping_record_checks.h"

namespace {

using Bytes = std::vector<BYTE>;
using vqtest::EchoReply;
using vqtest::ExpectHolds;
using vqtest::Ipv4;

// 10.0.0.1, 35 ms, time to live 128.
const Bytes kExampleBytes = {0x08, 0x31, 0x30, 0x2E, 0x30, 0x2E, 0x30, 0x2E, 0x31, 0x23, 0x00, 0x00, 0x00, 0x80};

Bytes Store(CPingResults& record) {
  vqtest::MemoryFile file;
  CArchive ar(&file, CArchive::store);
  record.Serialize(ar);
  ar.Close();
  return file.Contents();
}

void Load(CPingResults& record, const Bytes& bytes) {
  vqtest::MemoryFile file(bytes);
  CArchive ar(&file, CArchive::load);
  record.Serialize(ar);
}

void Fill(CPingResults& record, LPCSTR address, DWORD roundTrip, BYTE ttl) {
  record.m_strReplyAddress = address;
  record.m_dwRoundTripTime = roundTrip;
  record.m_byTimeToLive = ttl;
}

TEST(PingResultsArchive, EmptyRecordIsSixZeroBytes) {
  CPingResults fresh;
  ExpectHolds(fresh, "", 0, 0);
  EXPECT_EQ(Store(fresh), Bytes(6, 0x00));

  CPingResults emptied;
  Fill(emptied, "10.0.0.1", 35, 128);
  emptied.Empty();
  EXPECT_EQ(Store(emptied), Bytes(6, 0x00));
}

TEST(PingResultsArchive, ExampleRecordBothWays) {
  CPingResults stored;
  Fill(stored, "10.0.0.1", 35, 128);
  EXPECT_EQ(Store(stored), kExampleBytes);

  CPingResults loaded;
  Fill(loaded, "255.255.255.255", 999, 1);
  Load(loaded, kExampleBytes);
  ExpectHolds(loaded, "10.0.0.1", 35, 128);
}

// Storing writes only the one-byte prefix for dotted quads; loading takes the
// longer prefix forms as well.
TEST(PingResultsArchive, LoadsTheLongerLengthForms) {
  const Bytes text = {'1', '0', '.', '0', '.', '0', '.', '1'};
  const Bytes tail = {0x23, 0x00, 0x00, 0x00, 0x80};
  const Bytes prefixes[] = {{0xFF, 0x08, 0x00}, {0xFF, 0xFF, 0xFF, 0x08, 0x00, 0x00, 0x00}};
  for (const Bytes& prefix : prefixes) {
    Bytes bytes = prefix;
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    CPingResults loaded;
    Load(loaded, bytes);
    ExpectHolds(loaded, "10.0.0.1", 35, 128);
  }
}

TEST(PingResultsArchive, TruncatedArchiveThrowsEndOfFile) {
  for (std::size_t length : {std::size_t{0}, std::size_t{5}, kExampleBytes.size() - 1}) {
    const Bytes cut(kExampleBytes.begin(), kExampleBytes.begin() + static_cast<std::ptrdiff_t>(length));
    CPingResults record;
    try {
      Load(record, cut);
      ADD_FAILURE() << "no exception for " << length << " bytes";
    } catch (CArchiveException* e) {
      EXPECT_EQ(e->m_cause, CArchiveException::endOfFile) << length << " bytes";
      e->Delete();
    }
  }
}

TEST(PingResultsCopy, ReplyAddressBytesBecomeADottedQuad) {
  CPingResults record;
  const ICMP_ECHO_REPLY lan = EchoReply(Ipv4(0xC0, 0xA8, 0x01, 0x02), IP_SUCCESS, 35, 128);
  record.Copy(lan);
  ExpectHolds(record, "192.168.1.2", 35, 128);

  const ICMP_ECHO_REPLY zero = EchoReply(Ipv4(0, 0, 0, 0), IP_SUCCESS, 1, 64);
  record.Copy(&zero);
  ExpectHolds(record, "0.0.0.0", 1, 64);

  const ICMP_ECHO_REPLY high = EchoReply(Ipv4(255, 254, 128, 200), IP_SUCCESS, 7, 255);
  record.Copy(&high);
  ExpectHolds(record, "255.254.128.200", 7, 255);
}

// The status is not the record's business: an error reply is copied as it is.
TEST(PingResultsCopy, StatusIsNotRead) {
  CPingResults record;
  const ICMP_ECHO_REPLY unreachable = EchoReply(Ipv4(10, 0, 0, 254), IP_DEST_HOST_UNREACHABLE, 3, 63);
  record.Copy(&unreachable);
  ExpectHolds(record, "10.0.0.254", 3, 63);
}

TEST(PingResultsCopy, NullPointersEmptyTheRecord) {
  CPingResults record;
  Fill(record, "10.0.0.1", 35, 128);
  record.Copy(static_cast<const ICMP_ECHO_REPLY*>(nullptr));
  ExpectHolds(record, "", 0, 0);

  Fill(record, "10.0.0.1", 35, 128);
  record.Copy(static_cast<const CPingResults*>(nullptr));
  ExpectHolds(record, "", 0, 0);
}

TEST(PingResultsCopy, FromAnotherRecordAndFromItself) {
  CPingResults source;
  Fill(source, "172.16.0.9", 12, 250);
  CPingResults target;
  target.Copy(source);
  ExpectHolds(target, "172.16.0.9", 12, 250);

  CPingResults viaPointer;
  viaPointer.Copy(&source);
  ExpectHolds(viaPointer, "172.16.0.9", 12, 250);

  CPingResults assigned;
  CPingResults& result = (assigned = source);
  EXPECT_EQ(&result, &assigned);
  ExpectHolds(assigned, "172.16.0.9", 12, 250);

  target.Copy(target);
  target.Copy(&target);
  CPingResults& self = target;
  target = self;
  ExpectHolds(target, "172.16.0.9", 12, 250);
}

// The pointer forms reach the reference forms through the virtual table and
// turn any exception there into an empty record.
class ThrowingResults : public CPingResults {
 public:
  bool throwFramework = false;
  void Copy(const ICMP_ECHO_REPLY& /*reply*/) override { Throw(); }
  void Copy(const CPingResults& /*other*/) override { Throw(); }
  using CPingResults::Copy;

 private:
  void Throw() {
    m_dwRoundTripTime = 1;  // partly updated before the failure
    if (throwFramework) throw new CArchiveException(CArchiveException::generic);
    throw std::runtime_error("copy failed");
  }
};

TEST(PingResultsCopy, PointerFormsTurnExceptionsIntoAnEmptyRecord) {
  const ICMP_ECHO_REPLY reply = EchoReply(Ipv4(10, 0, 0, 1), IP_SUCCESS, 35, 128);
  CPingResults source;
  Fill(source, "10.0.0.2", 5, 5);
  for (bool framework : {false, true}) {
    ThrowingResults record;
    record.throwFramework = framework;
    Fill(record, "10.9.9.9", 99, 9);
    EXPECT_NO_THROW(record.Copy(&reply));
    ExpectHolds(record, "", 0, 0);

    Fill(record, "10.9.9.9", 99, 9);
    EXPECT_NO_THROW(record.Copy(&source));
    ExpectHolds(record, "", 0, 0);
  }
  ThrowingResults record;
  EXPECT_THROW(record.Copy(reply), std::runtime_error);  // the reference forms let it through
}

TEST(PingResultsClass, CreatedByNameAsAnEmptyRecord) {
  const CRuntimeClass* runtimeClass = CRuntimeClass::FromName("CPingResults");
  ASSERT_NE(runtimeClass, nullptr);
  EXPECT_EQ(runtimeClass, RUNTIME_CLASS(CPingResults));
  EXPECT_EQ(runtimeClass->m_wSchema, 1u);
  EXPECT_EQ(runtimeClass->m_pBaseClass, RUNTIME_CLASS(CObject));

  std::unique_ptr<CObject> object(CRuntimeClass::CreateObject("CPingResults"));
  ASSERT_NE(object, nullptr);
  ASSERT_EQ(object->GetRuntimeClass(), RUNTIME_CLASS(CPingResults));
  EXPECT_EQ(object->GetRuntimeClass(), RUNTIME_CLASS(CPingResults));
  ExpectHolds(static_cast<const CPingResults&>(*object), "", 0, 0);
}

}  // namespace
