// The file class over the system's handles: other opens' share modes,
// refused access, missing folders, non-ASCII names, devices and pipes,
// sockets, and what becomes of the handles.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/framework/afx.h"
#include "platform/kernel/wide_text.h"
#include "platform/kernel/windef.h"
#include "tests/platform/framework/core_test_helpers.h"

namespace {

using core_test::CauseThrown;

HANDLE HandleOf(UINT hFile) { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<LONG>(hFile))); }

bool IsOpenHandle(HANDLE handle) {
  DWORD flags = 0;
  return ::GetHandleInformation(handle, &flags) != 0;
}

bool IsInheritable(HANDLE handle) {
  DWORD flags = 0;
  return ::GetHandleInformation(handle, &flags) != 0 && (flags & HANDLE_FLAG_INHERIT) != 0;
}

class FileWin32Test : public core_test::TempDirTest {
 protected:
  // A pipe of this test's own: the process and the test's folder name it.
  std::string PipeName(const char* name) const {
    return "\\\\.\\pipe\\vq-fw-" + std::to_string(::GetCurrentProcessId()) + "-" + m_dir.filename().string() + "-" +
           name;
  }
  static HANDLE CreatePipeServer(const std::string& name) {
    return ::CreateNamedPipeW(kernel::WideFromUtf8(name).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                              4096, 4096, 0, nullptr);
  }

  // An open of the file by the system's own call, as another program holds it.
  HANDLE OpenOther(const std::string& name, DWORD access, DWORD share) const {
    return ::CreateFileW((m_dir / name).wstring().c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
  }
};

TEST_F(FileWin32Test, AnotherHandleWithoutSharingRefusesEveryOpenAndKeepsItsData) {
  WriteFile("address.ini", "entry0");
  const HANDLE other = OpenOther("address.ini", GENERIC_READ, 0);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  for (UINT flags :
       {0u, static_cast<UINT>(CFile::shareDenyNone), static_cast<UINT>(CFile::modeCreate | CFile::modeWrite)}) {
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(PathOf("address.ini").c_str(), flags, &error)) << flags;
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation) << flags;
    EXPECT_EQ(error.m_lOsError, ERROR_SHARING_VIOLATION) << flags;
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  }
  ::CloseHandle(other);
  EXPECT_EQ(ReadFile("address.ini"), "entry0");  // the refused create truncated nothing
}

// The framework's share modes are what the system lets other opens do.
TEST_F(FileWin32Test, ShareModesBindOtherProgramsOpens) {
  WriteFile("shared", "x");
  const auto othersMay = [&](DWORD access) {
    const HANDLE other = OpenOther("shared", access, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (other == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(other);
    return true;
  };
  struct Row {
    UINT flags;
    bool read;
    bool write;
  };
  for (const Row row : {Row{CFile::shareCompat, false, false}, Row{CFile::shareExclusive, false, false},
                        Row{CFile::shareDenyWrite, true, false}, Row{CFile::shareDenyRead, false, true},
                        Row{CFile::shareDenyNone, true, true}}) {
    CFile file;
    ASSERT_TRUE(file.Open(PathOf("shared").c_str(), row.flags)) << row.flags;
    EXPECT_EQ(othersMay(GENERIC_READ), row.read) << row.flags;
    EXPECT_EQ(othersMay(GENERIC_WRITE), row.write) << row.flags;
  }
}

// What the open's access mode does not allow the system refuses, naming
// the file.
TEST_F(FileWin32Test, ReadAndWriteOutsideTheAccessModeAreAccessDenied) {
  WriteFile("data", "hello");
  CFile reader;
  ASSERT_TRUE(reader.Open(PathOf("data").c_str(), 0));
  EXPECT_EQ(CauseThrown<CFileException>([&] { reader.Write("x", 1); }), CFileException::accessDenied);

  CFile writer;
  ASSERT_TRUE(writer.Open(PathOf("writeonly").c_str(), CFile::modeCreate | CFile::modeWrite));
  char buffer[4];
  try {
    writer.Read(buffer, sizeof(buffer));
    ADD_FAILURE() << "Read on a write-only file succeeded";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::accessDenied);
    EXPECT_EQ(e->m_lOsError, ERROR_ACCESS_DENIED);
    EXPECT_EQ(e->m_strFileName, PathOf("writeonly").c_str());
    e->Delete();
  }
  writer.Flush();  // nothing written: no failure
  reader.Flush();  // the system refuses a read-only handle's flush; nothing to lose
}

TEST_F(FileWin32Test, FoldersRefuseWriters) {
  CFile folder;
  CFileException error;
  EXPECT_FALSE(folder.Open(m_dir.string().c_str(), CFile::modeCreate | CFile::modeWrite, &error));
  EXPECT_EQ(error.m_cause, CFileException::accessDenied);
  EXPECT_EQ(error.m_lOsError, ERROR_ACCESS_DENIED);
}

TEST_F(FileWin32Test, ReadOnlyFilesRefuseWriters) {
  WriteFile("locked.ini", "keep");
  const std::wstring locked = (m_dir / "locked.ini").wstring();
  ASSERT_TRUE(::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  const HANDLE probe = OpenOther("locked.ini", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (probe != INVALID_HANDLE_VALUE) {
    ::CloseHandle(probe);
    ::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "the system lets this user write read-only files (Wine run by root)";
  }
  for (UINT flags :
       {static_cast<UINT>(CFile::modeWrite), static_cast<UINT>(CFile::modeCreate | CFile::modeReadWrite)}) {
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(PathOf("locked.ini").c_str(), flags, &error)) << flags;
    EXPECT_EQ(error.m_cause, CFileException::accessDenied) << flags;
    EXPECT_EQ(error.m_lOsError, ERROR_ACCESS_DENIED) << flags;
  }
  CFile reader;
  EXPECT_TRUE(reader.Open(PathOf("locked.ini").c_str(), 0));
  reader.Close();
  ::SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFile("locked.ini"), "keep");
}

TEST_F(FileWin32Test, MissingFolderIsABadPathAndCreatesNothing) {
  for (UINT flags : {0u, static_cast<UINT>(CFile::modeCreate | CFile::modeWrite)}) {
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(PathOf("missing\\address.ini").c_str(), flags, &error)) << flags;
    EXPECT_EQ(error.m_cause, CFileException::badPath) << flags;
    EXPECT_EQ(error.m_lOsError, ERROR_PATH_NOT_FOUND) << flags;
    EXPECT_EQ(error.m_strFileName, PathOf("missing\\address.ini").c_str());
  }
  EXPECT_TRUE(Entries().empty());
}

// Names are UTF-8, whatever the user's code page holds.
TEST_F(FileWin32Test, NonAsciiNamesInUtf8) {
  const std::string folderName =
      "Gr\xC3\xBC\xC3\x9F"
      "e";                                                               // Grüße
  const std::string fileName = "\xE6\x97\xA5\xE6\x9C\xAC-\xCE\xB1.ini";  // 日本-α.ini
  const std::filesystem::path folder = m_dir / kernel::WideFromUtf8(folderName);
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  const std::string path = m_dir.string() + "\\" + folderName + "\\" + fileName;

  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
  file.Write("entry", 5);
  EXPECT_EQ(file.GetFilePath(), path.c_str());
  EXPECT_EQ(file.GetFileName(), fileName.c_str());
  EXPECT_EQ(file.GetFileTitle(), "\xE6\x97\xA5\xE6\x9C\xAC-\xCE\xB1");
  file.Close();

  const std::filesystem::path onDisk = folder / kernel::WideFromUtf8(fileName);
  ASSERT_TRUE(std::filesystem::exists(onDisk));
  EXPECT_EQ(std::filesystem::file_size(onDisk), 5u);
  ASSERT_TRUE(file.Open(path.c_str(), 0));
  char buffer[8] = {};
  EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 5u);
  EXPECT_EQ(std::string(buffer), "entry");
}

// Reading needs a disk file: a device or a pipe is refused at once and never
// waited on; writers may name them, and their flush never waits for a reader.
TEST_F(FileWin32Test, DevicesAndPipesRefusePlainReadsAndTakeWrites) {
  CFile device;
  CFileException deviceError;
  EXPECT_FALSE(device.Open("NUL", 0, &deviceError));
  EXPECT_EQ(deviceError.m_cause, CFileException::accessDenied);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CFile sink;
  ASSERT_TRUE(sink.Open("NUL", CFile::modeWrite | CFile::shareDenyNone));
  sink.Write("gone", 4);

  // The refused open took its pipe's one instance: the client has a pipe
  // of its own.
  const HANDLE unread = CreatePipeServer(PipeName("unread"));
  ASSERT_NE(unread, INVALID_HANDLE_VALUE);
  CFile refused;
  CFileException error;
  EXPECT_FALSE(refused.Open(PipeName("unread").c_str(), 0, &error));
  EXPECT_EQ(error.m_cause, CFileException::accessDenied);
  ::CloseHandle(unread);

  const std::string pipeName = PipeName("duplex");
  const HANDLE server = CreatePipeServer(pipeName);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);

  CFile client;
  ASSERT_TRUE(client.Open(pipeName.c_str(), CFile::modeReadWrite));
  client.Write("abc", 3);
  client.Flush();  // the server has read nothing yet
  char buffer[8] = {};
  DWORD count = 0;
  ASSERT_TRUE(::ReadFile(server, buffer, sizeof(buffer), &count, nullptr));
  EXPECT_EQ(std::string(buffer, count), "abc");

  // A pipe gives what one read delivers, and its end once the server has gone.
  ASSERT_TRUE(::WriteFile(server, "xy", 2, &count, nullptr));
  EXPECT_EQ(client.Read(buffer, sizeof(buffer)), 2u);
  ::CloseHandle(server);
  EXPECT_EQ(client.Read(buffer, sizeof(buffer)), 0u);
}

// m_hFile keeps the handle in 32 bits; the file's handle is not inherited
// by programs it starts, and Close releases it.
TEST_F(FileWin32Test, HandlesAreNotInheritedAndCloseReleasesThem) {
  WriteFile("h", "abc");
  CFile file;
  ASSERT_TRUE(file.Open(PathOf("h").c_str(), 0));
  const HANDLE handle = HandleOf(file.m_hFile);
  EXPECT_TRUE(IsOpenHandle(handle));
  EXPECT_FALSE(IsInheritable(handle));
  std::unique_ptr<CFile> copy(file.Duplicate());
  const HANDLE copied = HandleOf(copy->m_hFile);
  EXPECT_FALSE(IsInheritable(copied));
  copy.reset();
  EXPECT_FALSE(IsOpenHandle(copied));
  file.Close();
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  EXPECT_FALSE(IsOpenHandle(handle));
}

// A new length leaves the position where it was, as on Linux.
TEST_F(FileWin32Test, SetLengthKeepsThePosition) {
  CFile file;
  ASSERT_TRUE(file.Open(PathOf("len").c_str(), CFile::modeCreate | CFile::modeReadWrite));
  file.Write("0123456789", 10);
  file.Seek(8, CFile::begin);
  file.SetLength(4);
  EXPECT_EQ(file.GetLength(), 4u);
  EXPECT_EQ(file.GetPosition(), 8u);
  file.SetLength(20);
  EXPECT_EQ(file.GetLength(), 20u);
  EXPECT_EQ(file.GetPosition(), 8u);
}

}  // namespace
