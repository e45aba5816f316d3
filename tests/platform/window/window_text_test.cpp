// What the window services show of the program's 8-bit texts, and what they
// give back: display decoding, byte-exact round trips, where an edit shows a
// long text from, and list lines on one line.
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

#include "platform/framework/text_encoding.h"
#include "tests/platform/window/window_test_dialog.h"

using namespace window_test;

namespace {

class WindowTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterResources();
    ASSERT_TRUE(dialog.Create(kDialogId));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.widget()));
  }

  QLineEdit* Edit(int id) { return static_cast<QLineEdit*>(ControlWidget(dialog, id)); }
  QListWidget* List() { return static_cast<QListWidget*>(dialog.m_list.widget()); }

  void Show(const std::string& text, const std::string& other = "") {
    dialog.m_text = CString(std::string_view(text));
    dialog.m_other = CString(std::string_view(other));
    dialog.UpdateData(FALSE);
  }

  TestDialog dialog;
};

TEST_F(WindowTextTest, BytesShowAsUtf8WhereValidAndAsWindows1252Otherwise) {
  Show("Caf\xC3\xA9 M\xC3\xBCnchen", "Caf\xE9 M\xFCnchen \x80");
  EXPECT_EQ(Edit(kEdit)->text(), QStringLiteral(u"Café München"));
  EXPECT_EQ(Edit(kOtherEdit)->text(), QStringLiteral(u"Café München €"));
  dialog.m_list.AddString("10.0.0.1 K\xC3\xB6ln");
  dialog.m_list.AddString("10.0.0.2 K\xF6ln");
  EXPECT_EQ(List()->item(0)->text(), QStringLiteral(u"10.0.0.1 Köln"));
  EXPECT_EQ(List()->item(1)->text(), QStringLiteral(u"10.0.0.2 Köln"));
}

// The dialog reads every edit back on each keystroke in one of them: texts
// the program set and the user left alone must come back byte for byte.
TEST_F(WindowTextTest, TextsThatNobodyChangedComeBackByteForByte) {
  const std::string mixed = "UTF-8 \xC3\xA9, cp1252 \xE9\x80, cut \xE2\x82, stray \xA9, lone \xC3";
  Show("", mixed);
  QTest::keyClicks(Edit(kEdit), "1");  // the user types into the other edit
  dialog.UpdateData(TRUE);
  EXPECT_EQ(dialog.m_text.str(), "1");
  EXPECT_EQ(dialog.m_other.str(), mixed);
  dialog.UpdateData(FALSE);  // and back again: nothing changes
  dialog.UpdateData(TRUE);
  EXPECT_EQ(dialog.m_other.str(), mixed);

  // Once edited, a text is what it shows, in UTF-8.
  QTest::keyClick(Edit(kOtherEdit), Qt::Key_End);
  QTest::keyClicks(Edit(kOtherEdit), "!");
  dialog.UpdateData(TRUE);
  EXPECT_EQ(dialog.m_other.str(), framework::DisplayTextToUtf8(mixed) + "!");
}

TEST_F(WindowTextTest, TextTypedByTheUserBecomesUtf8) {
  // One key event with the whole text, as an input method delivers it.
  QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral(u"Zürich €5 🏁"));
  QApplication::sendEvent(Edit(kEdit), &typed);
  ASSERT_EQ(Edit(kEdit)->text(), QStringLiteral(u"Zürich €5 🏁"));
  dialog.UpdateData(TRUE);
  EXPECT_EQ(dialog.m_text.str(),
            "Z\xC3\xBCrich \xE2\x82\xAC"
            "5 \xF0\x9F\x8F\x81");
  // Shown again by the program, it reads the same.
  Show(dialog.m_text.str());
  EXPECT_EQ(Edit(kEdit)->text(), QStringLiteral(u"Zürich €5 🏁"));
}

TEST_F(WindowTextTest, TheProgramsLongTextShowsFromItsFirstCharacter) {
  const std::string longText = "Weekend League #4 Europe West, the long server name of a busy evening";
  Show(longText, "Qualifying and then some more words than fit");
  for (const int id : {kEdit, kOtherEdit}) {
    QLineEdit* edit = Edit(id);
    ASSERT_GT(edit->fontMetrics().horizontalAdvance(edit->text()), edit->width()) << "the text must not fit";
    EXPECT_EQ(edit->cursorPosition(), 0) << id;
    // The cursor sits at the left edge: the text is scrolled to its start.
    const QRect cursor = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_LT(cursor.left(), edit->fontMetrics().averageCharWidth() * 2) << id;
  }
  // The user's typing still goes where the user puts the cursor.
  QTest::keyClick(Edit(kEdit), Qt::Key_End);
  QTest::keyClicks(Edit(kEdit), "!");
  EXPECT_EQ(Edit(kEdit)->cursorPosition(), Edit(kEdit)->text().size());
  EXPECT_TRUE(Edit(kEdit)->text().endsWith(QLatin1String("evening!")));
}

TEST_F(WindowTextTest, ListLinesWithLineEndsShowOnOneLineAndKeepTheirBytes) {
  const std::string broken = "10.0.0.1 = Demo\r\nentry1\tx\x0By\xC2\x85z\xE2\x80\xA8w\x81!";
  dialog.m_list.AddString("10.0.0.9 plain line");
  dialog.m_list.AddString(broken.c_str());
  ASSERT_EQ(List()->count(), 2);
  const QString shown = List()->item(0)->text();
  // Tab, line and paragraph ends are blanks; 0x81 has no character.
  EXPECT_EQ(shown, QStringLiteral(u"10.0.0.1 = Demo  entry1 x y z w\uFFFD!"));
  EXPECT_EQ(List()->visualItemRect(List()->item(0)).height(), List()->visualItemRect(List()->item(1)).height());
  CString line;
  dialog.m_list.GetText(0, line);
  EXPECT_EQ(line.str(), broken);
  EXPECT_EQ(dialog.m_list.GetTextLen(0), static_cast<int>(broken.size()));
}

TEST_F(WindowTextTest, SortedListComparesTheLinesBytesNotWhatTheyShow) {
  // Shown alike, "\xC3\x89" (UTF-8) and "\xC9" (Latin-1) sort by their bytes:
  // 0xC3 before "\xC9", with "\xE9" folded onto "\xC9".
  dialog.m_list.AddString("\xE9t\xE9");
  dialog.m_list.AddString("\xC3\x89t\xC3\xA9");
  dialog.m_list.AddString("\xC9T\xC9");
  std::vector<std::string> lines;
  for (int i = 0; i < dialog.m_list.SendMessage(LB_GETCOUNT); ++i) {
    CString text;
    dialog.m_list.GetText(i, text);
    lines.push_back(text.str());
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"\xC3\x89t\xC3\xA9", "\xE9t\xE9", "\xC9T\xC9"}));
}

}  // namespace
