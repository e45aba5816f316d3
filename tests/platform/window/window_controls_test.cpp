#include <QEvent>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/platform/window/window_test_dialog.h"

using namespace window_test;

namespace {

int Count(CListBox& list) { return static_cast<int>(list.SendMessage(LB_GETCOUNT)); }

class WindowControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterResources();
    ASSERT_TRUE(dialog.Create(kDialogId));
  }
  TestDialog dialog;
};

// Counts paint events a widget receives.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

TEST_F(WindowControlsTest, SortedListBoxInsertsInCaseInsensitiveOrder) {
  CListBox& list = dialog.m_list;  // attached by data exchange in OnInitDialog
  ASSERT_NE(list.widget(), nullptr);
  EXPECT_EQ(list.AddString("delta"), 0);
  EXPECT_EQ(list.AddString("Alpha"), 0);
  EXPECT_EQ(list.AddString("charlie"), 1);
  EXPECT_EQ(list.AddString("BRAVO"), 1);
  EXPECT_EQ(list.AddString("bravo"), 2);  // equal lines keep their order of addition
  EXPECT_EQ(list.AddString("10.0.0.1 x"), 0);
  EXPECT_EQ(Count(list), 6);
  std::vector<std::string> lines;
  for (int i = 0; i < Count(list); ++i) {
    CString text;
    list.GetText(i, text);
    lines.emplace_back(text.str());
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"10.0.0.1 x", "Alpha", "BRAVO", "bravo", "charlie", "delta"}));
  EXPECT_LT(framework::CompareListBoxText("\xC9t\xE9", "\xE9t\xE9"), 1);  // Latin-1 letters fold too
  EXPECT_GT(framework::CompareListBoxText("\xC9t\xE9", "\xE9t\xE9"), -1);
}

TEST_F(WindowControlsTest, ListBoxSelectionAndTextByIndex) {
  CListBox& list = dialog.m_list;
  list.AddString("one");
  list.AddString("two");
  EXPECT_EQ(list.GetCurSel(), LB_ERR);
  EXPECT_EQ(list.SendMessage(LB_SETCURSEL, 1), 1);
  EXPECT_EQ(list.GetCurSel(), 1);
  EXPECT_EQ(list.SendMessage(LB_SETCURSEL, 5), LB_ERR);
  EXPECT_EQ(list.GetCurSel(), LB_ERR);
  EXPECT_EQ(dialog.selChanges, 0);  // the program's own changes do not notify

  char buffer[16] = {};
  EXPECT_EQ(list.GetText(0, buffer), 3);
  EXPECT_STREQ(buffer, "one");
  EXPECT_EQ(list.GetText(2, buffer), LB_ERR);
  CString text("stale");
  list.GetText(-1, text);
  EXPECT_TRUE(text.IsEmpty());

  list.SendMessage(LB_RESETCONTENT);
  EXPECT_EQ(Count(list), 0);
  EXPECT_EQ(dialog.selChanges, 0);
}

// The selection by the list's messages, as the system's list box answers
// them; a wrapper without a list answers LB_ERR (and a count of 0).
TEST_F(WindowControlsTest, ListBoxSelectionByMessage) {
  CListBox& list = dialog.m_list;
  EXPECT_EQ(Count(list), 0);
  list.AddString("one");
  list.AddString("two");
  EXPECT_EQ(Count(list), 2);
  EXPECT_EQ(list.SendMessage(LB_SETCURSEL, 1), 1);
  EXPECT_EQ(list.GetCurSel(), 1);
  EXPECT_EQ(list.SendMessage(LB_SETCURSEL, 2), LB_ERR);
  EXPECT_EQ(list.GetCurSel(), LB_ERR);
  list.SendMessage(LB_SETCURSEL, 0);
  EXPECT_EQ(list.SendMessage(LB_SETCURSEL, static_cast<WPARAM>(-1)), LB_ERR);  // clears the selection
  EXPECT_EQ(list.GetCurSel(), LB_ERR);
  EXPECT_EQ(dialog.selChanges, 0);

  CListBox detached;
  EXPECT_EQ(Count(detached), 0);
  EXPECT_EQ(detached.SendMessage(LB_SETCURSEL, 0), LB_ERR);
}

TEST_F(WindowControlsTest, UserClicksNotifySelectionAndDoubleClick) {
  dialog.m_list.AddString("first");
  dialog.m_list.AddString("second");
  auto* list = static_cast<QListWidget*>(dialog.m_list.widget());
  const QPoint second = list->visualItemRect(list->item(1)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
  EXPECT_EQ(dialog.selChanges, 1);
  EXPECT_EQ(dialog.m_list.GetCurSel(), 1);
  EXPECT_EQ(dialog.doubleClicks, 0);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
  EXPECT_EQ(dialog.doubleClicks, 1);
  EXPECT_EQ(dialog.m_list.GetCurSel(), 1);
}

// Enter or Space on the caret's line chooses it as a double-click does;
// Enter in a list without lines is the dialog's (its default button).
TEST_F(WindowControlsTest, EnterOrSpaceOnTheCaretsLineIsADoubleClick) {
  auto* list = static_cast<QListWidget*>(dialog.m_list.widget());
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(dialog.doubleClicks, 0);
  EXPECT_EQ(dialog.goCount, 1);

  dialog.m_list.AddString("first");
  dialog.m_list.AddString("second");
  dialog.m_list.AddString("third");
  list->setCurrentRow(0);
  int expectedDoubleClicks = 0;
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
    SCOPED_TRACE(key);
    QTest::keyClick(list, Qt::Key_Down);
    const int row = list->currentRow();
    QTest::keyClick(list, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    EXPECT_EQ(dialog.doubleClicks, ++expectedDoubleClicks);
    EXPECT_EQ(dialog.m_list.GetCurSel(), row);
    QTest::keyClick(list, Qt::Key_Up);
  }
  EXPECT_EQ(dialog.goCount, 1);  // the default button was not pressed again
}

// How many pixels change clearly (by a quarter of the grey scale or more)
// between two pictures of the same widget.
int ClearlyChangedPixels(const QImage& before, const QImage& after) {
  if (before.size() != after.size()) return -1;
  int changed = 0;
  for (int y = 0; y < before.height(); ++y) {
    for (int x = 0; x < before.width(); ++x) {
      if (std::abs(qGray(before.pixel(x, y)) - qGray(after.pixel(x, y))) >= 64) ++changed;
    }
  }
  return changed;
}

QImage Picture(QWidget* widget) { return widget->grab().toImage(); }

// Tabbing to a push button (the default button too) and to a list, with
// lines or without, shows the focus clearly: at least a dotted line along
// the control's width changes.
TEST_F(WindowControlsTest, KeyboardFocusOnAButtonOrAListShowsClearly) {
  QWidget* window = dialog.widget();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  auto* list = static_cast<QListWidget*>(dialog.m_list.widget());
  QWidget* button = ControlWidget(dialog, kButton);
  for (const bool withLines : {false, true}) {
    SCOPED_TRACE(withLines ? "list with lines" : "empty list");
    if (withLines) {
      dialog.m_list.AddString("first");
      dialog.m_list.AddString("second");
    }
    ControlWidget(dialog, kEdit)->setFocus(Qt::OtherFocusReason);
    const QImage buttonBefore = Picture(button);
    const QImage listBefore = Picture(list);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), button);
    EXPECT_GE(ClearlyChangedPixels(buttonBefore, Picture(button)), button->width() / 2);
    QTest::keyClick(button, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), list);
    EXPECT_GE(ClearlyChangedPixels(listBefore, Picture(list)), list->viewport()->width() / 2);
  }
}

TEST_F(WindowControlsTest, ProgressBarRangePositionAndClamping) {
  CWnd& progress = *dialog.GetDlgItem(kProgress);
  auto* bar = static_cast<QProgressBar*>(progress.widget());
  EXPECT_EQ(progress.SendMessage(PBM_GETPOS), 0);
  progress.SendMessage(PBM_SETRANGE, 0, MAKELONG(0, 100));
  EXPECT_EQ(progress.SendMessage(PBM_SETPOS, 25), 0);
  EXPECT_EQ(progress.SendMessage(PBM_SETPOS, 75), 25);
  EXPECT_EQ(bar->value(), 75);
  progress.SendMessage(PBM_SETPOS, 250);
  EXPECT_EQ(bar->value(), 100);
  progress.SendMessage(PBM_SETRANGE, 0, MAKELONG(10, 20));
  progress.SendMessage(PBM_SETPOS, 0);
  EXPECT_EQ(progress.SendMessage(PBM_GETPOS), 10);
}

TEST_F(WindowControlsTest, ProgressAndDataExchangeRepaintAtOnce) {
  PaintCounter barPaints(dialog.m_progress.widget());
  PaintCounter editPaints(ControlWidget(dialog, kEdit));
  ProcessPendingEvents();  // first show painted; start from a quiet window
  barPaints.count = editPaints.count = 0;

  dialog.m_progress.SendMessage(PBM_SETPOS, 50);
  EXPECT_GE(barPaints.count, 1);  // painted before any event processing

  dialog.m_text = "shown";
  dialog.UpdateData(FALSE);
  EXPECT_EQ(editPaints.count, 1);
  dialog.UpdateData(FALSE);  // unchanged text: nothing to repaint
  EXPECT_EQ(editPaints.count, 1);
}

TEST_F(WindowControlsTest, Latin1BytesRoundTripThroughAnEdit) {
  std::string all;
  for (int b = 1; b <= 0xFF; ++b) all.push_back(static_cast<char>(b));
  dialog.m_text = CString(std::string_view(all));
  dialog.UpdateData(FALSE);
  EXPECT_EQ(static_cast<QLineEdit*>(ControlWidget(dialog, kEdit))->text().size(), 255);
  dialog.m_text.Empty();
  dialog.UpdateData(TRUE);
  EXPECT_EQ(dialog.m_text.str(), all);
}

TEST_F(WindowControlsTest, OnlyTheUsersEditsNotifyChange) {
  dialog.m_text = "set by the program";
  dialog.UpdateData(FALSE);
  EXPECT_EQ(dialog.editChanges, 0);
  QTest::keyClicks(ControlWidget(dialog, kEdit), "ab");
  EXPECT_EQ(dialog.editChanges, 2);
  QTest::keyClicks(ControlWidget(dialog, kOtherEdit), "xy");
  EXPECT_EQ(dialog.editChanges, 2);
}

TEST_F(WindowControlsTest, WindowTextAndDlgItems) {
  CWnd* edit = dialog.GetDlgItem(kEdit);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetDlgCtrlID(), kEdit);
  edit->SetWindowText("caf\xE9");
  CString text;
  edit->GetWindowText(text);
  EXPECT_EQ(text, "caf\xE9");
  EXPECT_EQ(dialog.GetDlgItem(999), nullptr);
  dialog.GetDlgItem(kButton)->GetWindowText(text);
  EXPECT_EQ(text, "Go");
  dialog.DestroyWindow();
  EXPECT_EQ(dialog.GetDlgItem(kEdit), nullptr);
  EXPECT_EQ(Count(dialog.m_list), 0);  // a wrapper outliving its window is harmless
  EXPECT_EQ(dialog.m_list.AddString("late"), LB_ERR);
}

}  // namespace
