#include <QCloseEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

#include "platform/window/blocking_wait_hook.h"
#include "platform/kernel/blocking_hook.h"
#include "tests/platform/window/window_test_dialog.h"

using namespace window_test;

namespace {

// Installs the framework's hook for one test and restores what was there.
class BlockingHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterResources();
    m_previous = kernel::GetBlockingHook();
    framework::InstallBlockingHook();
    ASSERT_TRUE(dialog.Create(kDialogId));
    ProcessPendingEvents();
  }
  void TearDown() override { kernel::SetBlockingHook(m_previous); }

  void PostClick(QWidget* widget) {
    const QPointF at = QPointF(widget->rect().center());
    const QPointF global = QPointF(widget->mapToGlobal(widget->rect().center()));
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                        Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                        Qt::NoButton, Qt::NoModifier));
  }

  TestDialog dialog;

 private:
  BLOCKINGHOOKPROC m_previous = nullptr;
};

TEST_F(BlockingHookTest, RepaintsButHoldsUserInputUntilTheWaitIsOver) {
  const int paintsBefore = dialog.paintCount;
  dialog.Invalidate();
  PostClick(ControlWidget(dialog, kButton));

  kernel::CallBlockingHook();
  EXPECT_GT(dialog.paintCount, paintsBefore);
  EXPECT_EQ(dialog.goCount, 0);
  kernel::CallBlockingHook();  // a second wait slice holds it again
  EXPECT_EQ(dialog.goCount, 0);

  ProcessPendingEvents();  // the handler has returned: the click arrives
  EXPECT_EQ(dialog.goCount, 1);
}

TEST_F(BlockingHookTest, CloseRequestsDuringAWaitAreDropped) {
  QCoreApplication::postEvent(dialog.widget(), new QCloseEvent);
  kernel::CallBlockingHook();
  EXPECT_TRUE(dialog.sysCommands.empty());
  EXPECT_FALSE(dialog.ended());

  QCoreApplication::postEvent(dialog.widget(), new QCloseEvent);
  ProcessPendingEvents();
  EXPECT_EQ(dialog.sysCommands, std::vector<UINT>{SC_CLOSE});
  EXPECT_TRUE(dialog.ended());
}

TEST_F(BlockingHookTest, DialogsInstallTheHookWhenNoneIsThere) {
  kernel::SetBlockingHook(nullptr);
  TestDialog another;
  ASSERT_TRUE(another.Create(kDialogId));
  EXPECT_NE(kernel::GetBlockingHook(), nullptr);
  EXPECT_FALSE(framework::InBlockingWait());
}

}  // namespace
