#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/window/cwinapp.h"
#include "platform/window/dialog_units.h"
#include "tests/platform/window/window_test_dialog.h"
#include "tests/support/platform_seams/message_box_recorder.h"

using namespace window_test;

namespace {

class WindowDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterResources(); }
};

TEST_F(WindowDialogTest, ModalDialogIsInitialisedShownAndReturnsTheEndResult) {
  std::vector<UINT> seen;
  framework::ScopedModalDialogHook hook([&](CDialog& dialog) {
    seen.push_back(dialog.templateId());
    auto& test = static_cast<TestDialog&>(dialog);
    EXPECT_EQ(test.initCount, 1);
    EXPECT_TRUE(dialog.widget()->isVisible());
    dialog.EndDialog(42);
  });
  TestDialog dialog;
  EXPECT_EQ(dialog.DoModal(), 42);
  EXPECT_EQ(seen, std::vector<UINT>{kDialogId});
  EXPECT_EQ(dialog.widget(), nullptr);  // the window is gone after the loop
}

TEST_F(WindowDialogTest, MissingTemplateCannotRun) {
  TestDialog dialog(kMissingDialogId);
  EXPECT_EQ(dialog.DoModal(), -1);
}

TEST_F(WindowDialogTest, EscapeEndsTheModalLoopWithCancel) {
  framework::ScopedModalDialogHook hook([](CDialog& dialog) {
    QWidget* window = dialog.widget();
    QTimer::singleShot(0, window, [window] { QTest::keyClick(window, Qt::Key_Escape); });
  });
  TestDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(WindowDialogTest, CloseBoxIsTheSystemCloseCommandAndCancels) {
  std::vector<UINT> sysCommands;
  framework::ScopedModalDialogHook hook([&](CDialog& dialog) {
    QWidget* window = dialog.widget();
    QTimer::singleShot(0, window, [window] { window->close(); });
  });
  TestDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.sysCommands, std::vector<UINT>{SC_CLOSE});
}

TEST_F(WindowDialogTest, ControlsArePlacedByDialogUnitsOfTheDialogFont) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  const framework::DialogTemplate* dialogTemplate = framework::FindDialogTemplate(kDialogId);
  const framework::DialogBaseUnits units = framework::BaseUnitsOf(dialog.widget()->font());
  EXPECT_GT(units.x, 0);
  EXPECT_GT(units.y, 0);
  for (const framework::ControlTemplate& c : dialogTemplate->controls) {
    if (c.id == IDC_STATIC) continue;
    SCOPED_TRACE(c.id);
    const QRect expected(framework::MulDivRounded(c.x, units.x, 4), framework::MulDivRounded(c.y, units.y, 8),
                         framework::MulDivRounded(c.cx, units.x, 4), framework::MulDivRounded(c.cy, units.y, 8));
    EXPECT_EQ(ControlWidget(dialog, c.id)->geometry(), expected);
  }
  EXPECT_EQ(dialog.client()->size(),
            QSize(framework::MulDivRounded(200, units.x, 4), framework::MulDivRounded(100, units.y, 8)));
  EXPECT_EQ(dialog.widget()->minimumSize(), dialog.widget()->maximumSize());  // a fixed frame
  EXPECT_EQ(dialog.widget()->windowTitle(), QStringLiteral("Test Dialog"));
}

// Placed before its initialisation, and left there when shown: a dialog
// without a parent on the screen's middle, one with a parent on its parent's.
TEST_F(WindowDialogTest, DialogIsPlacedCentredBeforeItsInitialisation) {
  TestDialog dialog;
  QRect atInit;
  dialog.onInit = [&] { atInit = dialog.widget()->geometry(); };
  ASSERT_TRUE(dialog.Create(kDialogId));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.widget()));
  // The place is the frame's, as for every window: the window stays there.
  EXPECT_EQ(atInit.topLeft(), dialog.widget()->frameGeometry().topLeft());
  EXPECT_EQ(atInit.size(), dialog.widget()->size());
  const QRect screen = dialog.widget()->screen()->availableGeometry();
  EXPECT_LE((dialog.widget()->frameGeometry().center() - screen.center()).manhattanLength(), 4);

  dialog.widget()->move(screen.topLeft() + QPoint(40, 30));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.widget()));
  TestDialog child;
  ASSERT_TRUE(child.Create(kDialogId, &dialog));
  const QPoint offset = child.widget()->frameGeometry().center() - dialog.widget()->frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 4);
}

TEST_F(WindowDialogTest, DialogUnitRoundingFollowsMulDiv) {
  EXPECT_EQ(framework::MulDivRounded(7, 6, 4), 11);    // 10.5 rounds up
  EXPECT_EQ(framework::MulDivRounded(13, 13, 8), 21);  // 21.125
  EXPECT_EQ(framework::MulDivRounded(-7, 6, 4), -11);
  EXPECT_EQ(framework::MulDivRounded(0, 6, 4), 0);
}

TEST_F(WindowDialogTest, InitialFocusIsTheFirstTabStopAndTabFollowsTemplateOrder) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  QWidget* window = dialog.widget();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  std::vector<int> order;
  for (int i = 0; i < 5; ++i) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    order.push_back(focus->property("vqControlId").toInt());
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  EXPECT_EQ(order, (std::vector<int>{kEdit, kButton, kList, kOtherEdit, kEdit}));
}

TEST_F(WindowDialogTest, MenuBarCommandsArriveAsCommands) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  auto* bar = dialog.widget()->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->actions().size(), 1);
  EXPECT_EQ(bar->actions().front()->text(), QStringLiteral("&File"));
  QMenu* file = bar->actions().front()->menu();
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->actions().size(), 1);
  file->actions().front()->trigger();
  EXPECT_EQ(dialog.runCount, 0);  // delivered once the menu has closed
  ProcessPendingEvents();
  EXPECT_EQ(dialog.runCount, 1);
}

TEST_F(WindowDialogTest, MainWindowOwnsApplicationMessageBoxesAndIsForgottenWithTheDialog) {
  CWinApp app;
  vqtest::ScopedMessageBoxRecorder boxes;
  {
    TestDialog dialog;
    app.m_pMainWnd = &dialog;
    ASSERT_TRUE(dialog.Create(kDialogId));
    AfxMessageBox("hello");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].owner, dialog.widget());
    dialog.MessageBox("own", nullptr, MB_OK);
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_STREQ(boxes.boxes()[1].caption, framework::GetAppName());
    EXPECT_EQ(boxes.boxes()[1].type, static_cast<UINT>(MB_OK));
  }
  EXPECT_EQ(app.m_pMainWnd, nullptr);
}

}  // namespace
