#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

#include "platform/framework/cexception.h"
#include "platform/window/cwinapp.h"
#include "tests/platform/window/window_test_dialog.h"
#include "tests/support/platform_seams/message_box_recorder.h"

using namespace window_test;

namespace {

class WindowMessageMapTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterResources(); }
};

// A map with two entries for the same command: only the first runs.
class OrderedDialog : public TestDialog {
 public:
  std::vector<int> calls;
  void First() { calls.push_back(1); }
  void Second() { calls.push_back(2); }
  static const framework::MessageMap& GetThisMessageMap() {
    using namespace framework::msgmap;
    // A message map is a table: one entry a line, as written.
    // clang-format off
    static const framework::MessageMap map(&TestDialog::GetThisMessageMap(), {
        Command(kButton, &OrderedDialog::First),
        Command(kButton, &OrderedDialog::Second),
    });
    // clang-format on
    return map;
  }

 protected:
  const framework::MessageMap* GetMessageMap() const override { return &GetThisMessageMap(); }
};

TEST_F(WindowMessageMapTest, FirstMatchingEntryOfTheMostDerivedMapRuns) {
  OrderedDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  QTest::mouseClick(ControlWidget(dialog, kButton), Qt::LeftButton);
  EXPECT_EQ(dialog.calls, std::vector<int>{1});
  EXPECT_EQ(dialog.goCount, 0);  // the base class's entry for the button is not reached
}

TEST_F(WindowMessageMapTest, UnhandledMessagesGoToTheDefaultProcedure) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  dialog.SendMessage(WM_SYSCOMMAND, SC_CLOSE);  // handler calls Default: WM_CLOSE, then cancel
  EXPECT_TRUE(dialog.ended());
  EXPECT_EQ(dialog.sysCommands, std::vector<UINT>{SC_CLOSE});
}

class HelpApp : public CWinApp {
 public:
  int helpCount = 0;
  void OnHelpCommand() { ++helpCount; }
  static const framework::MessageMap& GetThisMessageMap() {
    using namespace framework::msgmap;
    static const framework::MessageMap map(&CWinApp::GetThisMessageMap(), {Command(ID_HELP, &HelpApp::OnHelpCommand)});
    return map;
  }

 protected:
  const framework::MessageMap* GetMessageMap() const override { return &GetThisMessageMap(); }
};

TEST_F(WindowMessageMapTest, CommandsTheWindowDoesNotHandleReachTheApplication) {
  HelpApp app;
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(kRunCommand, 0), 0);
  EXPECT_EQ(app.helpCount, 1);
  EXPECT_EQ(dialog.runCount, 1);
}

// Counts its destructions; reports a fixed text.
class CountedException : public CException {
 public:
  explicit CountedException(int* destroyed, BOOL autoDelete = TRUE) : m_destroyed(destroyed) {
    m_bAutoDelete = autoDelete;
  }
  ~CountedException() override { ++*m_destroyed; }
  BOOL GetErrorMessage(LPSTR text, UINT size, PUINT /*pnHelpContext*/) override {
    AfxCopyErrorText(text, size, "the handler failed");
    return TRUE;
  }

 private:
  int* m_destroyed;
};

TEST_F(WindowMessageMapTest, ExceptionFromAHandlerIsReportedOnceDeletedAndTheDialogGoesOn) {
  vqtest::ScopedMessageBoxRecorder boxes;
  int destroyed = 0;
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  dialog.onGo = [&] { throw new CountedException(&destroyed); };
  QTest::mouseClick(ControlWidget(dialog, kButton), Qt::LeftButton);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_STREQ(boxes.boxes()[0].text, "the handler failed");
  EXPECT_EQ(destroyed, 1);

  dialog.onGo = nullptr;
  QTest::mouseClick(ControlWidget(dialog, kButton), Qt::LeftButton);
  EXPECT_EQ(dialog.goCount, 2);
  EXPECT_EQ(boxes.boxes().size(), 1u);
  EXPECT_FALSE(dialog.ended());
}

TEST_F(WindowMessageMapTest, ExceptionWithoutAutoDeleteIsReportedButNotDeleted) {
  vqtest::ScopedMessageBoxRecorder boxes;
  int destroyed = 0;
  CountedException kept(&destroyed, FALSE);
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  dialog.onGo = [&] { throw &kept; };
  QTest::mouseClick(ControlWidget(dialog, kButton), Qt::LeftButton);
  EXPECT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(destroyed, 0);
}

TEST_F(WindowMessageMapTest, OtherExceptionsAreReportedWithTheirText) {
  vqtest::ScopedMessageBoxRecorder boxes;
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  dialog.onGo = [] { throw std::runtime_error("out of range"); };
  QTest::mouseClick(ControlWidget(dialog, kButton), Qt::LeftButton);
  dialog.onGo = [] { throw 7; };
  QTest::mouseClick(ControlWidget(dialog, kButton), Qt::LeftButton);
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_STREQ(boxes.boxes()[0].text, "out of range");
  EXPECT_STREQ(boxes.boxes()[1].text, AFX_NO_ERROR_MESSAGE);
}

TEST_F(WindowMessageMapTest, ExceptionWhilePaintingIsReportedAfterThePaint) {
  vqtest::ScopedMessageBoxRecorder boxes;
  int destroyed = 0;
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  dialog.onPaint = [&] { throw new CountedException(&destroyed); };
  QPixmap target(dialog.client()->size());
  dialog.client()->render(&target);
  EXPECT_GE(dialog.paintCount, 1);
  EXPECT_TRUE(boxes.boxes().empty());  // no message box inside a paint
  dialog.onPaint = nullptr;
  ProcessPendingEvents();
  EXPECT_GE(boxes.boxes().size(), 1u);
  EXPECT_EQ(destroyed, static_cast<int>(boxes.boxes().size()));
}

}  // namespace
