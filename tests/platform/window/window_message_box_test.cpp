// The toolkit's message box: its title bar, width, icon, buttons and place.
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/window/message_box_window.h"
#include "tests/platform/window/window_test_dialog.h"

using namespace window_test;

namespace {

using framework::MessageBoxWindow;

constexpr const char* kCaption = "Veloxa Quillmar";

MessageBoxWindow::Icon ShownIcon(UINT type) {
  MessageBoxWindow box({nullptr, "text", kCaption, type});
  return box.iconKind();
}

TEST(WindowMessageBoxTest, TitleBarHasTheCaptionAndACloseButtonOnly) {
  for (const UINT type : {MB_OK, MB_OKCANCEL | MB_ICONQUESTION, MB_YESNOCANCEL | MB_ICONHAND}) {
    MessageBoxWindow box({nullptr, "Ping Timed Out", kCaption, type});
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_EQ(box.windowType(), Qt::Dialog) << type;
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint)) << type;  // only the buttons asked for
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint)) << type;
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint)) << type;
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint)) << type;
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint)) << type;
    EXPECT_EQ(box.windowTitle(), QString::fromLatin1(kCaption));
  }
}

// A short text makes a narrow box; the title bar still shows the whole
// caption in a bold face beside the window icon and the buttons. Openbox's
// default title bar (icon, caption, minimise, maximise, close: it draws all
// three buttons whatever the window asks for) needed seven bold line
// heights beside the caption; a box one button narrower cut the caption to
// "Velox... illmar".
TEST(WindowMessageBoxTest, BoxIsWideEnoughForItsWholeCaption) {
  for (const char* caption : {kCaption, "ERROR!", "A caption much longer than the text of its message"}) {
    MessageBoxWindow box({nullptr, "Ping Timed Out", caption, MB_OK});
    box.show();
    QFont bold(box.font());
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int captionOnly = metrics.horizontalAdvance(QString::fromLatin1(caption));
    EXPECT_GE(framework::CaptionWidth(QString::fromLatin1(caption), box.font()), captionOnly + 7 * metrics.height());
    EXPECT_GE(box.width(), framework::CaptionWidth(QString::fromLatin1(caption), box.font())) << caption;
    box.setText(QStringLiteral("A new text builds a new layout"));  // the width holds after that too
    box.hide();
    box.show();
    EXPECT_GE(box.width(), framework::CaptionWidth(QString::fromLatin1(caption), box.font())) << caption;
  }
}

TEST(WindowMessageBoxTest, IconIsTheOneTheIconFlagsAskFor) {
  EXPECT_EQ(ShownIcon(MB_OK), QMessageBox::NoIcon);
  EXPECT_EQ(ShownIcon(MB_ICONHAND), QMessageBox::Critical);
  EXPECT_EQ(ShownIcon(MB_ICONQUESTION), QMessageBox::Question);
  EXPECT_EQ(ShownIcon(MB_ICONEXCLAMATION | MB_OKCANCEL), QMessageBox::Warning);
  EXPECT_EQ(ShownIcon(MB_ICONASTERISK), QMessageBox::Information);
  // Drawn at the system's icon size.
  MessageBoxWindow box({nullptr, "text", kCaption, MB_ICONHAND});
  EXPECT_EQ(box.iconPixmap().size(), QSize(32, 32));
  EXPECT_TRUE(MessageBoxWindow({nullptr, "text", kCaption, MB_OK}).iconPixmap().isNull());
}

TEST(WindowMessageBoxTest, PlainButtonsTheFirstTheDefaultAndClosingCountsAsTheLast) {
  const struct {
    UINT type;
    QMessageBox::StandardButton first;
    int closed;
  } cases[] = {
      {MB_OK, QMessageBox::Ok, IDOK},
      {MB_OKCANCEL, QMessageBox::Ok, IDCANCEL},
      {MB_YESNO, QMessageBox::Yes, IDNO},
      {MB_ABORTRETRYIGNORE, QMessageBox::Abort, IDIGNORE},
  };
  for (const auto& c : cases) {
    MessageBoxWindow box({nullptr, "text", kCaption, c.type});
    EXPECT_EQ(box.defaultButton(), box.button(c.first)) << c.type;
    EXPECT_EQ(box.answerFor(QMessageBox::NoButton), c.closed) << c.type;
    for (const QAbstractButton* button : box.buttons()) EXPECT_TRUE(button->icon().isNull()) << c.type;  // plain
  }
  MessageBoxWindow box({nullptr, "text", kCaption, MB_YESNOCANCEL});
  EXPECT_EQ(box.answerFor(QMessageBox::Yes), IDYES);
  EXPECT_EQ(box.answerFor(QMessageBox::No), IDNO);
  EXPECT_EQ(box.answerFor(QMessageBox::Cancel), IDCANCEL);
}

TEST(WindowMessageBoxTest, BoxIsCentredOnItsOwnersWindow) {
  RegisterResources();
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  dialog.widget()->move(137, 91);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.widget()));
  MessageBoxWindow box({dialog.GetDlgItem(kEdit)->widget(), "Ping Timed Out", kCaption, MB_OK});
  box.show();
  const QPoint offset = box.frameGeometry().center() - dialog.widget()->frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 3) << offset.x() << "," << offset.y();
}

// A box from a window's initialisation opens before its owner shows; the
// owner has its place by then, and the box opens centred on it.
TEST(WindowMessageBoxTest, BoxFromTheOwnersInitialisationIsCentredWhereTheOwnerWillAppear) {
  RegisterResources();
  TestDialog dialog;
  QRect boxDuringInit;
  dialog.onInit = [&] {
    MessageBoxWindow box({dialog.widget(), "There was an error opening the file: address.ini.", "ERROR!", MB_OK});
    box.show();
    boxDuringInit = box.frameGeometry();
  };
  ASSERT_TRUE(dialog.Create(kDialogId));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.widget()));
  const QPoint offset = boxDuringInit.center() - dialog.widget()->frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 3) << offset.x() << "," << offset.y();
}

// The framework's message box with nobody recording it: the toolkit's box,
// answered with the keyboard.
TEST(WindowMessageBoxTest, FrameworkShowsTheBoxModallyAndReturnsTheUsersAnswer) {
  RegisterResources();
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(kDialogId));
  const framework::ScopedMessageBoxHandler noHandler({});  // the framework's own default: the toolkit's box
  const struct {
    Qt::Key key;
    int answer;
  } cases[] = {{Qt::Key_Return, IDOK}, {Qt::Key_Escape, IDCANCEL}};
  for (const auto& c : cases) {
    QString shownCaption;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      shownCaption = box->windowTitle();
      QTest::keyClick(box, c.key);
    });
    EXPECT_EQ(dialog.MessageBox("Send it?", nullptr, MB_OKCANCEL | MB_ICONQUESTION), c.answer);
    EXPECT_EQ(shownCaption, QString::fromLatin1(framework::GetAppName()));
  }
}

}  // namespace
