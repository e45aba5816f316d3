#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/window/cmenu.h"
#include "platform/window/paint.h"
#include "tests/platform/window/window_test_dialog.h"

using namespace window_test;

namespace {

class WindowSystemMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterResources();
    ASSERT_TRUE(dialog.Create(kDialogId));
  }
  void TearDown() override {
    for (QMenu* menu :
         dialog.widget() != nullptr ? dialog.widget()->findChildren<QMenu*>("systemMenu") : QList<QMenu*>{}) {
      delete menu;
    }
  }

  QMenu* OpenByRightClick() {
    QWidget* client = dialog.client();
    const QPoint blank(client->width() - 2, client->height() - 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, blank, client->mapToGlobal(blank));
    QApplication::sendEvent(client, &event);
    return dialog.widget()->findChild<QMenu*>("systemMenu");
  }

  static QAction* ActionFor(QMenu* menu, UINT id) {
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator() && action->data().toUInt() == id) return action;
    }
    return nullptr;
  }

  TestDialog dialog;
};

TEST_F(WindowSystemMenuTest, SystemMenuHasTheWindowItemsAndWhatTheProgramAppends) {
  CMenu* menu = dialog.GetSystemMenu(FALSE);
  ASSERT_NE(menu, nullptr);
  const std::vector<UINT> standard{SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, 0, SC_CLOSE};
  ASSERT_EQ(menu->GetMenuItemCount(), standard.size());
  for (std::size_t i = 0; i < standard.size(); ++i) EXPECT_EQ(menu->items()[i].id, standard[i]);
  menu->AppendMenu(MF_SEPARATOR);
  menu->AppendMenu(MF_STRING, 0x0010, "&About");
  EXPECT_EQ(dialog.GetSystemMenu(FALSE), menu);  // the same menu, additions kept
  EXPECT_EQ(menu->items().back().id, 0x0010u);
  EXPECT_EQ(menu->items().back().text, "&About");
  EXPECT_EQ(dialog.GetSystemMenu(TRUE), nullptr);  // revert
  EXPECT_EQ(dialog.GetSystemMenu(FALSE)->GetMenuItemCount(), standard.size());
}

TEST_F(WindowSystemMenuTest, RightClickOnTheBackgroundShowsItWithItemsEnabledAsTheyApply) {
  dialog.GetSystemMenu(FALSE)->AppendMenu(MF_STRING, 0x0010, "&About");
  QMenu* shown = OpenByRightClick();
  ASSERT_NE(shown, nullptr);
  EXPECT_FALSE(ActionFor(shown, SC_RESTORE)->isEnabled());  // neither minimised nor maximised
  EXPECT_TRUE(ActionFor(shown, SC_MOVE)->isEnabled());
  EXPECT_FALSE(ActionFor(shown, SC_SIZE)->isEnabled());      // fixed frame
  EXPECT_FALSE(ActionFor(shown, SC_MINIMIZE)->isEnabled());  // the template has no minimise box
  EXPECT_FALSE(ActionFor(shown, SC_MAXIMIZE)->isEnabled());
  EXPECT_TRUE(ActionFor(shown, SC_CLOSE)->isEnabled());
  ASSERT_NE(ActionFor(shown, 0x0010), nullptr);
  EXPECT_EQ(ActionFor(shown, 0x0010)->text(), QStringLiteral("&About"));

  ActionFor(shown, 0x0010)->trigger();
  EXPECT_TRUE(dialog.sysCommands.empty());  // sent once the menu has closed
  ProcessPendingEvents();
  EXPECT_EQ(dialog.sysCommands, std::vector<UINT>{0x0010});
}

TEST_F(WindowSystemMenuTest, AltSpaceShowsIt) {
  QWidget* window = dialog.widget();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window, Qt::Key_Space, Qt::AltModifier);
  EXPECT_NE(window->findChild<QMenu*>("systemMenu"), nullptr);
}

TEST_F(WindowSystemMenuTest, CloseFromTheMenuCancels) {
  QMenu* shown = OpenByRightClick();
  ASSERT_NE(shown, nullptr);
  ActionFor(shown, SC_CLOSE)->trigger();
  ProcessPendingEvents();
  EXPECT_TRUE(dialog.ended());
}

TEST_F(WindowSystemMenuTest, DefaultProcedureMinimisesAndRestores) {
  dialog.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
  EXPECT_TRUE(dialog.IsIconic());
  QMenu* shown = OpenByRightClick();
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(ActionFor(shown, SC_RESTORE)->isEnabled());
  EXPECT_FALSE(ActionFor(shown, SC_MOVE)->isEnabled());
  dialog.SendMessage(WM_SYSCOMMAND, SC_RESTORE);
  EXPECT_FALSE(dialog.IsIconic());
  EXPECT_FALSE(dialog.ended());
}

TEST(WindowPaintTest, PaintContextDrawsOnlyInsideThePaint) {
  RegisterResources();
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  CPaintDC outside(&dialog);
  EXPECT_EQ(outside.GetSafeHdc(), nullptr);
  EXPECT_FALSE(outside.DrawIcon(0, 0, nullptr));
  EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
  EXPECT_EQ(GetSystemMetrics(SM_CYICON), 32);
}

}  // namespace
