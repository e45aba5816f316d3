#include <QCloseEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <functional>

#include "platform/framework/message_box.h"
#include "platform/kernel/blocking_hook.h"
#include "platform/kernel/sliced_poll.h"
#include "platform/window/blocking_wait_hook.h"
#include "tests/platform/window/window_test_dialog.h"

using namespace window_test;

namespace {

using Clock = std::chrono::steady_clock;

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

  static void PostClick(QWidget* widget) {
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

// What the "Go" handler saw of its own wait: a five-second wait in slices.
struct HandlerWait {
  int result = 0;
  int error = 0;
  Clock::duration took{};
  bool closeRequested = false;
  std::size_t sysCommandsMeanwhile = 0;
  bool endedMeanwhile = false;
};

// Presses "Go" in a dialog whose handler waits five seconds; `during` runs
// from the event loop one slice into the wait.
HandlerWait PressGoAndWait(TestDialog& dialog, const std::function<void()>& during) {
  HandlerWait seen;
  dialog.onGo = [&] {
    QTimer::singleShot(20, dialog.widget(), during);
    const Clock::time_point start = Clock::now();
    seen.result = kernel::SlicedPoll(nullptr, 0, 5000);
    seen.error = errno;
    seen.took = Clock::now() - start;
    seen.closeRequested = dialog.closeRequested();
    seen.sysCommandsMeanwhile = dialog.sysCommands.size();
    seen.endedMeanwhile = dialog.ended();
  };
  QTest::mouseClick(ControlWidget(dialog, kButton), Qt::LeftButton);
  return seen;
}

TEST_F(BlockingHookTest, RepaintsButHoldsUserInputUntilTheWaitIsOver) {
  const int paintsBefore = dialog.paintCount;
  dialog.client()->update();
  PostClick(ControlWidget(dialog, kButton));

  kernel::CallBlockingHook();
  EXPECT_GT(dialog.paintCount, paintsBefore);
  EXPECT_EQ(dialog.goCount, 0);
  kernel::CallBlockingHook();  // a second wait slice holds it again
  EXPECT_EQ(dialog.goCount, 0);

  ProcessPendingEvents();  // the handler has returned: the click arrives
  EXPECT_EQ(dialog.goCount, 1);
}

// The close box and Escape during a handler's wait: the wait ends as
// interrupted, long before its five seconds, and the handler learns that a
// close is pending; the dialog is not re-entered. Once the handler has
// returned the request arrives, and nothing is left to end a later wait.
TEST_F(BlockingHookTest, CloseRequestDuringAHandlersWaitEndsTheWaitAndArrivesOnceTheHandlerHasReturned) {
  const struct {
    const char* name;
    std::vector<UINT> sysCommands;  // the close box is the system menu's Close; Escape the cancel command
    std::function<void(QWidget*)> request;
  } cases[] = {
      {"close box", {SC_CLOSE}, [](QWidget* window) { window->close(); }},
      {"Escape", {}, [](QWidget* window) { QTest::keyClick(window->windowHandle(), Qt::Key_Escape); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestDialog waiting;
    ASSERT_TRUE(waiting.Create(kDialogId));
    const HandlerWait seen = PressGoAndWait(waiting, [&] { c.request(waiting.widget()); });
    EXPECT_EQ(seen.result, -1);
    EXPECT_EQ(seen.error, EINTR);
    EXPECT_LT(seen.took, std::chrono::seconds(3));  // ended by the request, not by its five seconds
    EXPECT_TRUE(seen.closeRequested);
    EXPECT_EQ(seen.sysCommandsMeanwhile, 0u);
    EXPECT_FALSE(seen.endedMeanwhile);

    EXPECT_EQ(waiting.sysCommands, c.sysCommands);
    EXPECT_TRUE(waiting.ended());
    EXPECT_FALSE(waiting.widget() != nullptr && waiting.widget()->isVisible());
    EXPECT_FALSE(waiting.closeRequested());
    EXPECT_FALSE(kernel::TakeBlockingCallCancel());
  }
}

// Nothing waits for a wait outside every handler: the request is the
// dialog's at once.
TEST_F(BlockingHookTest, CloseRequestDuringAWaitOutsideAnyHandlerArrivesAtOnce) {
  QCoreApplication::postEvent(dialog.widget(), new QCloseEvent);
  kernel::CallBlockingHook();
  EXPECT_EQ(dialog.sysCommands, std::vector<UINT>{SC_CLOSE});
  EXPECT_TRUE(dialog.ended());
  EXPECT_FALSE(kernel::TakeBlockingCallCancel());
}

// Keys the window system delivers while the handler waits reach the field
// after the handler has returned, also when the handler then shows a modal
// message box (input to a window under a modal box would be lost).
TEST_F(BlockingHookTest, KeysTypedDuringAWaitArriveAfterTheHandlerAlsoPastItsMessageBox) {
  const framework::ScopedMessageBoxHandler toolkitBoxes({});
  auto* edit = static_cast<QLineEdit*>(ControlWidget(dialog, kEdit));
  QString textMeanwhile = QStringLiteral("unread");
  dialog.onGo = [&] {
    QTimer::singleShot(20, dialog.widget(), [&] {
      for (const char key : {'a', 'b', 'c'}) QTest::keyClick(dialog.widget()->windowHandle(), key);
    });
    kernel::SlicedPoll(nullptr, 0, 200);
    QTimer::singleShot(0, [] {
      if (QWidget* box = QApplication::activeModalWidget()) QTest::keyClick(box, Qt::Key_Return);
    });
    dialog.MessageBox("Done", nullptr, MB_OK);
    textMeanwhile = edit->text();
  };
  QTest::keyClick(edit, Qt::Key_Return);  // the default button: the field keeps the focus
  EXPECT_EQ(textMeanwhile, QString());
  ProcessPendingEvents();
  EXPECT_EQ(edit->text(), QStringLiteral("abc"));
}

TEST_F(BlockingHookTest, DialogsInstallTheHookWhenNoneIsThere) {
  kernel::SetBlockingHook(nullptr);
  TestDialog another;
  ASSERT_TRUE(another.Create(kDialogId));
  EXPECT_NE(kernel::GetBlockingHook(), nullptr);
  EXPECT_FALSE(framework::HandlerWaits());
}

}  // namespace
