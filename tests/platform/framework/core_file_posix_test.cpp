// The file class on Linux: FIFOs and devices, sockets from the system's own
// calls, the errno translation and the process's handle table.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "core_test_helpers.h"
#include "platform/framework/afx.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "tests/support/netns_child.h"
#include "tests/support/platform_seams/handle_count.h"

namespace {

using core_test::CauseThrown;

class FilePosixTest : public core_test::TempDirTest {};

// An operation the open's access mode does not allow fails as on a handle
// that is not open for it (EBADF).
TEST_F(FilePosixTest, WriteToAReadOnlyOpenThrowsInvalidFile) {
  WriteFile("data", "hello");
  CFile file;
  ASSERT_TRUE(file.Open(PathOf("data").c_str(), 0));
  EXPECT_EQ(CauseThrown<CFileException>([&] { file.Write("x", 1); }), CFileException::invalidFile);
}

TEST_F(FilePosixTest, ReadErrorThrowsNamingTheFile) {
  const std::string path = PathOf("writeonly");
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
  char buffer[4];
  try {
    file.Read(buffer, sizeof(buffer));
    ADD_FAILURE() << "Read on a write-only file succeeded";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::invalidFile);
    EXPECT_EQ(e->m_strFileName, path.c_str());
    e->Delete();
  }
}

TEST_F(FilePosixTest, HandlesAreOpaqueAndCloseResetsThem) {
  WriteFile("h", "");
  const int before = vqtest::LiveHandleCount();
  {
    CFile a;
    ASSERT_TRUE(a.Open(PathOf("h").c_str(), CFile::shareDenyNone));
    CFile b;
    ASSERT_TRUE(b.Open(PathOf("h").c_str(), CFile::shareDenyNone));
    for (UINT handle : {a.m_hFile, b.m_hFile}) {
      EXPECT_NE(handle, 0u);
      EXPECT_NE(handle, 0xFFFFFFFFu);
    }
    EXPECT_NE(a.m_hFile, b.m_hFile);
    a.Close();
    EXPECT_EQ(a.m_hFile, CFile::hFileNull);
    EXPECT_TRUE(a.GetFilePath().IsEmpty());
    a.Close();  // closing twice is harmless
    a.Abort();
  }  // b closes on destruction
  EXPECT_EQ(vqtest::LiveHandleCount(), before);
}

// Reading needs a regular file: a FIFO or a device named like one is
// refused at once, the usual failed open, and never waited on.
TEST_F(FilePosixTest, PlainReadRefusesWhatIsNotARegularFile) {
  const std::string fifo = PathOf("address.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // In a child with a time limit: an open that waits for a writer would
  // otherwise hang the test.
  VQ_RUN_IN_CHILD(
      [&] {
        CFile file;
        CFileException error;
        EXPECT_FALSE(file.Open(fifo.c_str(), CFile::modeRead | CFile::shareCompat, &error));
        EXPECT_EQ(error.m_cause, CFileException::accessDenied);
        EXPECT_EQ(file.m_hFile, CFile::hFileNull);
      },
      10);

  const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);  // a FIFO with a writer fails the same
  ASSERT_GE(writer, 0);
  const int handlesBefore = vqtest::LiveHandleCount();
  for (const std::string& path : {fifo, std::string("/dev/null"), std::string("/dev/zero")}) {
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path.c_str(), 0, &error)) << path;
    EXPECT_EQ(error.m_cause, CFileException::accessDenied) << path;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << path;
  }
  EXPECT_EQ(vqtest::LiveHandleCount(), handlesBefore);
  ::close(writer);
}

// Writers may name a FIFO or a device; an open for writing a FIFO fails at
// once while nobody reads it, and otherwise leaves an ordinary blocking file.
TEST_F(FilePosixTest, WritersOpenFifosAndDevicesWithoutWaiting) {
  const std::string fifo = PathOf("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  VQ_RUN_IN_CHILD(
      [&] {
        CFile file;
        CFileException error;
        EXPECT_FALSE(file.Open(fifo.c_str(), CFile::modeWrite, &error));
        EXPECT_EQ(file.m_hFile, CFile::hFileNull);
      },
      10);

  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  CFile file;
  ASSERT_TRUE(file.Open(fifo.c_str(), CFile::modeWrite));
  EXPECT_EQ(::fcntl(kernel::DescriptorOf(file.m_hFile), F_GETFL) & O_NONBLOCK, 0);
  file.Write("abc", 3);
  char buffer[8] = {};
  EXPECT_EQ(::read(reader, buffer, sizeof(buffer)), 3);
  EXPECT_EQ(std::string(buffer), "abc");
  file.Close();
  ::close(reader);

  CFile sink;
  ASSERT_TRUE(sink.Open("/dev/null", CFile::modeWrite | CFile::shareDenyNone));
  sink.Write("gone", 4);
}

TEST(FileOverSocket, ReadAndWriteUseTheSocketHandle) {
  int fds[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  CFile socketFile;
  socketFile.m_hFile = kernel::InsertHandle(fds[0], kernel::HandleKind::Socket);
  socketFile.Write("ping", 4);
  char buffer[16] = {};
  ASSERT_EQ(read(fds[1], buffer, sizeof(buffer)), 4);
  EXPECT_EQ(std::string(buffer), "ping");

  ASSERT_EQ(write(fds[1], "pong", 4), 4);
  EXPECT_EQ(socketFile.Read(buffer, sizeof(buffer)), 4u);  // what is there, without waiting for more

  close(fds[1]);
  EXPECT_EQ(socketFile.Read(buffer, sizeof(buffer)), 0u);
  // A write to a closed peer fails instead of ending the process.
  EXPECT_NE(CauseThrown<CFileException>([&] { socketFile.Write("x", 1); }), -1);
  const UINT handle = socketFile.m_hFile;
  socketFile.Close();
  EXPECT_EQ(kernel::DescriptorOf(handle), -1);
  EXPECT_EQ(socketFile.m_hFile, CFile::hFileNull);
}

// The errno translation is Linux's alone: on Windows failures come as the
// system's error numbers.
TEST(FileExceptionCauses, FromErrnoAndSystemErrors) {
  EXPECT_EQ(CFileException::ErrnoToException(ENOENT), CFileException::fileNotFound);
  EXPECT_EQ(CFileException::ErrnoToException(EACCES), CFileException::accessDenied);
  EXPECT_EQ(CFileException::ErrnoToException(EWOULDBLOCK), CFileException::sharingViolation);
  EXPECT_EQ(CFileException::ErrnoToException(ENOSPC), CFileException::diskFull);
  EXPECT_EQ(CFileException::ErrnoToException(EMFILE), CFileException::tooManyOpenFiles);
  EXPECT_EQ(CFileException::ErrnoToException(EIO), CFileException::hardIO);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_FILE_NOT_FOUND), CFileException::fileNotFound);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_SHARING_VIOLATION), CFileException::sharingViolation);
  EXPECT_EQ(CFileException::OsErrorToException(CFileException::ErrnoToOsError(ENOSPC)), CFileException::diskFull);
}

}  // namespace
