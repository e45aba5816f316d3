#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "net/dummy_file.h"
#include "platform/framework/byte_array.h"

namespace {

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DummyFile, HasASerialRecordAndCanBeCreatedByName) {
  CRuntimeClass* record = CRuntimeClass::FromName("CDummyFile");
  ASSERT_EQ(record, RUNTIME_CLASS(CDummyFile));
  EXPECT_EQ(record->m_wSchema, 1u);
  EXPECT_EQ(record->m_pBaseClass, RUNTIME_CLASS(CFile));
  std::unique_ptr<CObject> object(CRuntimeClass::CreateObject("CDummyFile"));
  ASSERT_NE(object, nullptr);
  EXPECT_NE(dynamic_cast<CDummyFile*>(object.get()), nullptr);
}

TEST(DummyFile, PlaceholdersAnswerTheirFixedResults) {
  CDummyFile file;
  EXPECT_EQ(file.DummyQuery1(), 0xC0000000u);
  EXPECT_EQ(file.DummyQuery2() + file.DummyQuery3() + file.DummyQuery4(), 0u);
  EXPECT_EQ(file.DummyQuery5(), 3u);
  EXPECT_EQ(file.DummyQuery6(1, 2) + file.DummyQuery7(3), 0u);
  EXPECT_EQ(file.GetPosition() + file.GetLength(), 0u);
  EXPECT_EQ(file.Seek(100, CFile::begin), 0);
  EXPECT_EQ(file.GetErrorCode(), 0u);
  EXPECT_EQ(file.GetReserved(), 0u);
  file.Close();  // no handle: nothing to do, nothing thrown
  file.Abort();
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
}

TEST(DummyFile, WriteFormsUseTheFilesOwnWriteWithoutTheNul) {
  const std::string path = ::testing::TempDir() + "dummy_file_" + std::to_string(::getpid()) + ".bin";
  {
    CDummyFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    CByteArray bytes;
    bytes.SetSize(3);
    bytes.GetData()[0] = 0x01;
    bytes.GetData()[2] = 0xFF;  // new elements are zero
    file.Write(bytes);
    file.Write(CString("text"));
    file.Abort();  // closes the file through the virtual Close
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  }
  EXPECT_EQ(ReadWholeFile(path), std::string("\x01\x00\xFFtext", 7));
  ::unlink(path.c_str());
}

}  // namespace
