// Loading a CPingResults, created by its class name, from an archive over
// arbitrary bytes. Archive exceptions are expected; crashes, leaks and wrong
// values are not.
//
// Input: one byte choosing the archive's buffer size (16 to 4096 bytes, so
// values straddle buffer refills), then the archive's bytes.
#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "fuzz/fuzz_check.h"
#include "probe/ping_results.h"
#include "platform/framework/archive_exception.h"
#include "platform/kernel/handle_table.h"

namespace {

// What the archive form says, decoded here on its own terms: the address
// with its length prefix (one byte below 255; 0xFF and 16 bits below 0xFFFE;
// 0xFF, 0xFFFF and 32 bits), the round-trip time (4 bytes, little-endian),
// the time to live (1 byte).
struct Expected {
  int cause = CArchiveException::none;  // none: the load succeeds
  std::size_t consumed = 0;
  std::string address;
  DWORD roundTrip = 0;
  BYTE ttl = 0;
};

DWORD Little(const std::uint8_t* p, std::size_t n) {
  DWORD value = 0;
  for (std::size_t i = 0; i < n; ++i) value |= static_cast<DWORD>(p[i]) << (8 * i);
  return value;
}

// The prefix sizes and markers are those of the form described above.
// NOLINTBEGIN(readability-magic-numbers)
Expected Decode(const std::uint8_t* data, std::size_t size) {
  Expected e;
  e.cause = CArchiveException::endOfFile;
  if (size < 1) return e;
  std::size_t prefix = 1;
  std::uint64_t length = data[0];
  if (data[0] == 0xFF) {
    if (size < 3) return e;
    prefix = 3;
    length = Little(data + 1, 2);
    if (length == 0xFFFE) {
      e.cause = CArchiveException::badIndex;
      return e;
    }
    if (length == 0xFFFF) {
      if (size < 7) return e;
      prefix = 7;
      length = Little(data + 3, 4);
      if (length > static_cast<std::uint64_t>(INT_MAX)) {
        e.cause = CArchiveException::badIndex;
        return e;
      }
    }
  }
  if (size < prefix + length + 5) return e;
  const std::uint8_t* text = data + prefix;
  e.address.assign(text, text + length);
  e.roundTrip = Little(text + length, 4);
  e.ttl = text[length + 4];
  e.consumed = prefix + static_cast<std::size_t>(length) + 5;
  e.cause = CArchiveException::none;
  return e;
}
// NOLINTEND(readability-magic-numbers)

// The archive's file: a framework file over an anonymous file in memory,
// holding the bytes given and positioned at its start.
class MemoryFile : public CFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) {
    const int fd = ::memfd_create("fuzz_ping_results", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(size == 0 || ::pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    m_hFile = kernel::InsertHandle(fd, kernel::HandleKind::File);
    m_bCloseOnDelete = TRUE;
  }
};

std::unique_ptr<CPingResults> CreateByName() {
  CObject* object = CRuntimeClass::CreateObject("CPingResults");
  FUZZ_CHECK(object != nullptr);
  auto* results = dynamic_cast<CPingResults*>(object);
  FUZZ_CHECK(results != nullptr);
  return std::unique_ptr<CPingResults>(results);
}

// Loads the record; the exception's cause, none when the load succeeded.
int Load(CPingResults& results, CFile& file, int bufferSize) {
  try {
    CArchive ar(&file, CArchive::load, bufferSize);
    results.Serialize(ar);
    ar.Close();
    return CArchiveException::none;
  } catch (CException* e) {
    auto* archiveError = dynamic_cast<CArchiveException*>(e);
    const int cause = archiveError != nullptr ? archiveError->m_cause : -1;
    e->Delete();
    return cause;
  }
}

void CheckRoundTrip(const CPingResults& loaded) {
  MemoryFile file(nullptr, 0);
  {
    CArchive ar(&file, CArchive::store);
    const_cast<CPingResults&>(loaded).Serialize(ar);
    ar.Close();
  }
  file.SeekToBegin();
  std::unique_ptr<CPingResults> again = CreateByName();
  FUZZ_CHECK(Load(*again, file, 4096) == CArchiveException::none);
  FUZZ_CHECK(again->m_strReplyAddress == loaded.m_strReplyAddress);
  FUZZ_CHECK(again->m_dwRoundTripTime == loaded.m_dwRoundTripTime);
  FUZZ_CHECK(again->m_byTimeToLive == loaded.m_byTimeToLive);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int bufferSize = 16 * (1 + data[0]);
  const std::uint8_t* archive = data + 1;
  const std::size_t archiveSize = size - 1;
  if (archiveSize > UINT_MAX) return 0;

  MemoryFile file(archive, archiveSize);
  std::unique_ptr<CPingResults> results = CreateByName();
  const int cause = Load(*results, file, bufferSize);

  const Expected expected = Decode(archive, archiveSize);
  FUZZ_CHECK(cause == expected.cause);
  if (cause != CArchiveException::none) return 0;
  FUZZ_CHECK(results->m_strReplyAddress.str() == expected.address);
  FUZZ_CHECK(results->m_dwRoundTripTime == expected.roundTrip);
  FUZZ_CHECK(results->m_byTimeToLive == expected.ttl);
  // Closing the archive gives its unread bytes back to the file.
  FUZZ_CHECK(file.GetPosition() == expected.consumed);
  CheckRoundTrip(*results);
  return 0;
}
