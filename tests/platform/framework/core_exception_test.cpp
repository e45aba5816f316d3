#include <gtest/gtest.h>

#include <string>

#include "core_test_helpers.h"
#include "platform/framework/afx.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace {

using core_test::CauseThrown;

int g_destroyed = 0;

class CountedException : public CException {
 public:
  explicit CountedException(BOOL autoDelete = TRUE) { m_bAutoDelete = autoDelete; }
  ~CountedException() override { ++g_destroyed; }
};

std::string MessageOf(CException& e, UINT size = 512) {
  std::string buffer(size, '\x7F');
  EXPECT_TRUE(e.GetErrorMessage(buffer.data(), size));
  return buffer.substr(0, buffer.find('\0'));  // the text up to its terminating NUL
}

TEST(ExceptionDelete, FreesOnlyAutoDeleteObjects) {
  g_destroyed = 0;
  try {
    throw new CountedException;
  } catch (CException* e) {
    e->Delete();
  }
  EXPECT_EQ(g_destroyed, 1);
  {
    CountedException onStack(FALSE);
    onStack.Delete();
    EXPECT_EQ(g_destroyed, 1);
  }
  EXPECT_EQ(g_destroyed, 2);
}

TEST(ExceptionReport, ShowsTheMessageWithTheApplicationCaption) {
  vqtest::ScopedMessageBoxRecorder recorder(IDOK);
  CFileException sharing(CFileException::sharingViolation, ERROR_SHARING_VIOLATION, "address.ini");
  EXPECT_EQ(sharing.ReportError(), IDOK);
  ASSERT_EQ(recorder.boxes().size(), 1u);
  const auto& box = recorder.boxes()[0];
  EXPECT_EQ(box.text, "A sharing violation occurred while accessing address.ini.");
  EXPECT_EQ(box.caption, framework::GetAppName());
  EXPECT_EQ(box.type & MB_TYPEMASK, static_cast<UINT>(MB_OK));

  recorder.clear();
  CException plain;
  plain.ReportError();
  framework::RegisterStringResource(61002, "Own text");
  plain.ReportError(MB_OK, 61002);
  ASSERT_EQ(recorder.boxes().size(), 2u);
  EXPECT_EQ(recorder.boxes()[0].text, AFX_NO_ERROR_MESSAGE);
  EXPECT_EQ(recorder.boxes()[1].text, "Own text");
}

TEST(FileExceptionMessage, NamesTheFileForEveryCause) {
  std::string previous;
  for (int cause = CFileException::none; cause <= CFileException::endOfFile; ++cause) {
    CFileException e(cause, -1, "data.bin");
    const std::string text = MessageOf(e);
    EXPECT_NE(text.find("data.bin"), std::string::npos) << cause;
    EXPECT_NE(text, previous);
    previous = text;
  }
  CFileException unnamed(CFileException::fileNotFound);
  EXPECT_EQ(MessageOf(unnamed), "An unnamed file was not found.");
  CFileException shortBuffer(CFileException::fileNotFound, -1, "x");
  EXPECT_EQ(MessageOf(shortBuffer, 5), "x wa");
}

TEST(ThrowHelpers, ThrowHeapObjectsOfTheirClass) {
  try {
    AfxThrowFileException(CFileException::diskFull, 112, "out.bin");
  } catch (CException* e) {
    ASSERT_EQ(e->GetRuntimeClass(), RUNTIME_CLASS(CFileException));
    auto* file = static_cast<CFileException*>(e);
    EXPECT_EQ(file->m_lOsError, 112);
    EXPECT_EQ(file->m_strFileName, "out.bin");
    EXPECT_TRUE(e->m_bAutoDelete);
    e->Delete();
  }
  EXPECT_EQ(CauseThrown<CArchiveException>([] { AfxThrowArchiveException(CArchiveException::badSchema); }),
            CArchiveException::badSchema);
}

TEST(ArchiveExceptionMessage, MentionsTheArchiveFileWhenKnown) {
  CArchiveException named(CArchiveException::endOfFile, "ping.dat");
  CArchiveException unnamed(CArchiveException::endOfFile);
  EXPECT_EQ(MessageOf(named), "The archive ended unexpectedly (ping.dat).");
  EXPECT_EQ(MessageOf(unnamed), "The archive ended unexpectedly.");
}

}  // namespace
