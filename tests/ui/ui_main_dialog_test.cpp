#include <QContextMenuEvent>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/window/cmenu.h"
#include "platform/window/cwinapp.h"
#include "platform/window/icon_resource.h"
#include "platform/window/icon_resource_qt.h"
#include "tests/ui/ui_test_support.h"
#include "ui/quillmar_dlg.h"
#include "ui/resources.h"

namespace {

using ui_test::ControlWidget;

// Opens the dialog's protected parts to the tests.
class TestableDlg : public CQuillmarDlg {
 public:
  using CQuillmarDlg::m_hIcon;
};

// The resources exist before the dialog is made, as in the program.
struct WithResources {
  WithResources() { RegisterQuillmarResources(); }
};

class MainDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG)); }

  QLineEdit* Edit(int id) { return static_cast<QLineEdit*>(ControlWidget(dialog, id)); }

  WithResources resources;
  ui_test::ScopedEmptyAddressBook addressBook;
  TestableDlg dialog;
};

TEST_F(MainDialogTest, InitialisationAddsAboutToTheSystemMenuAndSetsTheIcons) {
  CMenu* menu = dialog.GetSystemMenu(FALSE);
  const int count = static_cast<int>(menu->GetMenuItemCount());
  ASSERT_GE(count, 2);
  const std::vector<CMenu::Item>& items = menu->items();
  EXPECT_EQ(items[count - 2].flags & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(items[count - 1].id, static_cast<UINT>(IDM_ABOUTBOX));
  EXPECT_EQ(items[count - 1].text, "&About VeloxaQuillmar");

  const HICON icon = framework::LoadIconResource(IDR_MAINFRAME);
  EXPECT_EQ(dialog.m_hIcon, icon);
  EXPECT_FALSE(dialog.widget()->windowIcon().isNull());
  EXPECT_EQ(dialog.widget()->windowIcon().cacheKey(), framework::ToQIcon(icon).cacheKey());
  EXPECT_EQ(reinterpret_cast<HICON>(dialog.SendMessage(WM_QUERYDRAGICON)), icon);
}

// The template asks for a caption and a system menu, nothing more: the title
// bar has a close button only, and the frame keeps its size, so a window
// manager that honours the size offers no maximise. The window shows in the
// task bar.
TEST_F(MainDialogTest, TitleBarHasACloseButtonOnlyAndTheFrameIsFixed) {
  const Qt::WindowFlags flags = dialog.widget()->windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
  EXPECT_EQ(flags & ~Qt::WindowType_Mask,
            Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  EXPECT_EQ(dialog.widget()->minimumSize(), dialog.widget()->maximumSize());
}

TEST_F(MainDialogTest, DataExchangeBindsEachStringToItsEdit) {
  dialog.m_strAddress = "a";
  dialog.m_strHost = "h";
  dialog.m_strType = "ty";
  dialog.m_strSession = "s";
  dialog.m_strPlayers = "p";
  dialog.m_strTrack = "tr";
  dialog.m_strTimeLeft = "tl";
  dialog.m_strPing = "pi";
  dialog.UpdateData(FALSE);
  const std::vector<std::pair<int, const char*>> expected = {{IDC_ADDRESS, "a"},    {IDC_HOST, "h"},
                                                             {IDC_TYPE, "ty"},      {IDC_SESSION, "s"},
                                                             {IDC_PLAYERS, "p"},    {IDC_TRACK, "tr"},
                                                             {IDC_TIME_LEFT, "tl"}, {IDC_PING, "pi"}};
  for (const auto& [id, text] : expected) EXPECT_EQ(Edit(id)->text(), QString::fromLatin1(text)) << id;
  EXPECT_NE(dialog.m_ctlAddressList.widget(), nullptr);  // attached to list 1012
  EXPECT_EQ(dialog.m_ctlAddressList.GetDlgCtrlID(), IDC_ADDRESS_LIST);
}

TEST_F(MainDialogTest, TypingTheAddressCopiesEveryEditButTypingAResultDoesNot) {
  QTest::keyClicks(Edit(IDC_HOST), "myhost");
  QTest::keyClicks(Edit(IDC_PING), "42");
  EXPECT_TRUE(dialog.m_strHost.IsEmpty());  // nothing reads a result field by itself
  EXPECT_TRUE(dialog.m_strPing.IsEmpty());

  QTest::keyClicks(Edit(IDC_ADDRESS), "1");
  EXPECT_EQ(dialog.m_strAddress, "1");
  EXPECT_EQ(dialog.m_strHost, "myhost");
  EXPECT_EQ(dialog.m_strPing, "42");

  QTest::keyClicks(Edit(IDC_ADDRESS), "27.0.0.1");
  EXPECT_EQ(dialog.m_strAddress, "127.0.0.1");  // every keystroke
}

// Every keystroke in the address field reads all eight edits back: what a
// server sent in Latin-1 or UTF-8 stays the bytes it sent.
TEST_F(MainDialogTest, TypingTheAddressKeepsTheResultFieldsBytes) {
  dialog.m_strHost = "Caf\xE9 M\xFCnchen";
  dialog.m_strTrack = "K\xC3\xB6ln Ring";
  dialog.UpdateData(FALSE);
  EXPECT_EQ(Edit(IDC_HOST)->text(), QStringLiteral(u"Café München"));
  EXPECT_EQ(Edit(IDC_TRACK)->text(), QStringLiteral(u"Köln Ring"));
  QTest::keyClicks(Edit(IDC_ADDRESS), "1");
  EXPECT_EQ(dialog.m_strHost.str(), "Caf\xE9 M\xFCnchen");
  EXPECT_EQ(dialog.m_strTrack.str(), "K\xC3\xB6ln Ring");
}

TEST_F(MainDialogTest, SystemCommandsOfTheAboutItemOpenTheAboutBox) {
  ui_test::ModalRecorder modal;
  for (UINT id = 0x0010; id <= 0x001F; ++id) dialog.SendMessage(WM_SYSCOMMAND, id);
  EXPECT_EQ(modal.opened, std::vector<UINT>(16, IDD_ABOUTBOX));

  modal.opened.clear();
  dialog.SendMessage(WM_SYSCOMMAND, 0x0020);
  dialog.SendMessage(WM_SYSCOMMAND, 0x000F);
  dialog.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
  EXPECT_TRUE(modal.opened.empty());
  EXPECT_TRUE(dialog.IsIconic());  // the other commands do what they usually do
  dialog.SendMessage(WM_SYSCOMMAND, SC_RESTORE);
  EXPECT_FALSE(dialog.IsIconic());
}

TEST_F(MainDialogTest, AboutFromTheShownSystemMenuAndFromTheMenuBar) {
  ui_test::ModalRecorder modal;
  QWidget* client = ui_test::ClientArea(dialog);
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), client->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(client, &click);
  auto* shown = dialog.widget()->findChild<QMenu*>("systemMenu");
  ASSERT_NE(shown, nullptr);
  QAction* about = shown->actions().back();
  EXPECT_EQ(about->text(), QStringLiteral("&About VeloxaQuillmar"));
  about->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(modal.opened, std::vector<UINT>{IDD_ABOUTBOX});
  delete shown;

  auto* bar = dialog.widget()->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->actions().size(), 1);
  EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("&About"));
  QMenu* popup = bar->actions()[0]->menu();
  ASSERT_EQ(popup->actions().size(), 1);
  EXPECT_EQ(popup->actions()[0]->text(), QStringLiteral("&About"));
  popup->actions()[0]->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(modal.opened, (std::vector<UINT>{IDD_ABOUTBOX, IDD_ABOUTBOX}));
}

// What the minimised window's client area should show: the background and
// the 32-pixel program icon at `at`.
QImage ExpectedIconPicture(const QWidget* client, QPoint at) {
  QImage image(client->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(client->palette().color(client->backgroundRole()));
  QPainter painter(&image);
  painter.drawPixmap(at, framework::ToQIcon(framework::LoadIconResource(IDR_MAINFRAME)).pixmap(QSize(32, 32)));
  return image;
}

QImage PaintedClient(QWidget* client) {
  QImage image(client->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::black);
  client->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);  // the dialog itself, no controls
  return image;
}

TEST_F(MainDialogTest, MinimisedWindowShowsTheIconCentredWithTruncatingDivision) {
  dialog.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
  ASSERT_TRUE(dialog.IsIconic());
  QWidget* client = ui_test::ClientArea(dialog);
  const struct {
    QSize client;
    QPoint icon;
  } cases[] = {
      {{33, 33}, {1, 1}},  // (33 - 32 + 1) / 2
      {{32, 32}, {0, 0}},  // (32 - 32 + 1) / 2 truncates to 0
      {{100, 51}, {34, 10}},
      {{30, 40}, {0, 4}},  // (30 - 32 + 1) / 2 = -1 / 2 truncates toward zero
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.client.width());
    client->setFixedSize(c.client);
    EXPECT_EQ(PaintedClient(client), ExpectedIconPicture(client, c.icon));
  }
}

TEST_F(MainDialogTest, NotMinimisedTheDialogPaintsNoIcon) {
  QWidget* client = ui_test::ClientArea(dialog);
  EXPECT_NE(PaintedClient(client),
            ExpectedIconPicture(client, QPoint((client->width() - 31) / 2, (client->height() - 31) / 2)));
}

TEST(MainDialogModalTest, EscapeAndTheCloseBoxEndTheModalLoopWithCancel) {
  RegisterQuillmarResources();
  ui_test::ScopedEmptyAddressBook addressBook;
  for (const bool useCloseBox : {false, true}) {
    framework::ScopedModalDialogHook hook([useCloseBox](CDialog& dialog) {
      QWidget* window = dialog.widget();
      QTimer::singleShot(0, window, [window, useCloseBox] {
        if (useCloseBox) {
          window->close();
        } else {
          QTest::keyClick(window, Qt::Key_Escape);
        }
      });
    });
    CQuillmarDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL) << useCloseBox;
  }
}

}  // namespace
