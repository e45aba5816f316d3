#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core_test_helpers.h"
#include "platform/framework/afx.h"
#include "platform/kernel/last_error.h"

namespace {

using core_test::CauseThrown;

class FileTest : public core_test::TempDirTest {};

TEST_F(FileTest, MissingFileWithFlagsZeroFailsAndCreatesNothing) {
  const std::string path = PathOf("address.ini");
  CFile file;
  CFileException error;
  EXPECT_FALSE(file.Open(path.c_str(), 0, &error));
  EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(error.m_strFileName, path.c_str());
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  EXPECT_FALSE(file.Open(path.c_str(), 0));  // no exception object: only the result
  EXPECT_TRUE(Entries().empty());
}

TEST_F(FileTest, ReadReturnsTheByteCountThenZeroAtTheEnd) {
  WriteFile("data", "hello");
  CFile file;
  ASSERT_TRUE(file.Open(PathOf("data").c_str(), 0));
  char buffer[2048] = {};
  EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 5u);
  EXPECT_EQ(std::string(buffer), "hello");
  EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 0u);
  EXPECT_EQ(file.GetLength(), 5u);
}

TEST_F(FileTest, SecondOpenFailsWithSharingViolationWhileTheFirstIsOpen) {
  WriteFile("address.ini", "entry0");
  const std::string path = PathOf("address.ini");
  CFile first;
  ASSERT_TRUE(first.Open(path.c_str(), 0));

  for (UINT flags : {0u, static_cast<UINT>(CFile::shareExclusive), static_cast<UINT>(CFile::shareDenyNone),
                     static_cast<UINT>(CFile::modeCreate | CFile::modeWrite)}) {
    CFile second;
    CFileException error;
    EXPECT_FALSE(second.Open(path.c_str(), flags, &error)) << flags;
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation) << flags;
    EXPECT_EQ(error.m_lOsError, ERROR_SHARING_VIOLATION);
  }

  first.Close();
  EXPECT_EQ(ReadFile("address.ini"), "entry0");  // the refused create did not truncate
  CFile third;
  EXPECT_TRUE(third.Open(path.c_str(), 0));
}

TEST_F(FileTest, DenyWriteAndDenyNoneOpensShareWithEachOther) {
  WriteFile("shared", "x");
  const std::string path = PathOf("shared");
  CFile a;
  CFile b;
  CFile c;
  ASSERT_TRUE(a.Open(path.c_str(), CFile::shareDenyWrite));
  EXPECT_TRUE(b.Open(path.c_str(), CFile::shareDenyWrite));
  EXPECT_TRUE(c.Open(path.c_str(), CFile::shareDenyNone));
  CFile exclusive;
  EXPECT_FALSE(exclusive.Open(path.c_str(), CFile::shareExclusive));
}

TEST_F(FileTest, WriteSeekReadRoundTripAndLength) {
  const std::string path = PathOf("round");
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite));
  file.Write("0123456789", 10);
  EXPECT_EQ(file.GetPosition(), 10u);
  EXPECT_EQ(file.Seek(-4, CFile::end), 6);
  char tail[8] = {};
  EXPECT_EQ(file.Read(tail, 8), 4u);
  EXPECT_EQ(std::string(tail), "6789");
  file.SetLength(3);
  EXPECT_EQ(file.GetLength(), 3u);
  EXPECT_EQ(CauseThrown<CFileException>([&] { file.Seek(-1, CFile::begin); }), CFileException::badSeek);
  file.Close();
  EXPECT_EQ(ReadFile("round"), "012");

  // modeCreate truncates unless modeNoTruncate is given.
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
  file.Close();
  EXPECT_EQ(ReadFile("round"), "012");
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
  file.Close();
  EXPECT_EQ(ReadFile("round"), "");
}

TEST_F(FileTest, OperationsWithoutAHandleThrowInvalidFile) {
  CFile file;
  char byte = 0;
  EXPECT_EQ(CauseThrown<CFileException>([&] { file.Read(&byte, 1); }), CFileException::invalidFile);
  EXPECT_EQ(CauseThrown<CFileException>([&] { file.Write(&byte, 1); }), CFileException::invalidFile);
  EXPECT_EQ(CauseThrown<CFileException>([&] { file.GetLength(); }), CFileException::invalidFile);
}

TEST_F(FileTest, DirectoryCannotBeOpenedAsAFile) {
  CFileException error;
  CFile file;
  EXPECT_FALSE(file.Open(m_dir.string().c_str(), 0, &error));
  EXPECT_EQ(error.m_cause, CFileException::accessDenied);
}

TEST_F(FileTest, NamesOfTheOpenFile) {
  WriteFile("address.ini", "");
  CFile file;
  ASSERT_TRUE(file.Open(PathOf("address.ini").c_str(), 0));
  EXPECT_EQ(file.GetFilePath(), PathOf("address.ini").c_str());
  EXPECT_EQ(file.GetFileName(), "address.ini");
  EXPECT_EQ(file.GetFileTitle(), "address");
  file.SetFilePath("/elsewhere/other.txt");
  EXPECT_EQ(file.GetFileName(), "other.txt");
}

TEST_F(FileTest, RangeLocksExcludeOtherOpensOfTheFile) {
  WriteFile("locked", "0123456789");
  CFile a;
  ASSERT_TRUE(a.Open(PathOf("locked").c_str(), CFile::modeReadWrite | CFile::shareDenyNone));
  CFile b;
  ASSERT_TRUE(b.Open(PathOf("locked").c_str(), CFile::modeReadWrite | CFile::shareDenyNone));
  a.LockRange(0, 5);
  EXPECT_EQ(CauseThrown<CFileException>([&] { b.LockRange(4, 2); }), CFileException::lockViolation);
  b.LockRange(5, 5);  // a disjoint range is free
  a.UnlockRange(0, 5);
  b.LockRange(0, 5);
}

TEST_F(FileTest, DuplicateSharesThePositionAndClosesOnItsOwn) {
  WriteFile("dup", "abcdef");
  CFile file;
  ASSERT_TRUE(file.Open(PathOf("dup").c_str(), 0));
  std::unique_ptr<CFile> copy(file.Duplicate());
  EXPECT_NE(copy->m_hFile, file.m_hFile);
  char two[2];
  copy->Read(two, 2);
  EXPECT_EQ(file.GetPosition(), 2u);
  copy.reset();
  EXPECT_EQ(file.Read(two, 2), 2u);
  EXPECT_EQ(two[0], 'c');
}

}  // namespace
