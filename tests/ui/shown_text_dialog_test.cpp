// What the main dialog shows of a server's reply and of the address book:
// no character that hides, reorders or moves text, and no empty box, while
// the fields keep the bytes that came.
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

#include "platform/framework/message_box.h"
#include "tests/support/address_book_records.h"
#include "tests/support/hex_text.h"
#include "tests/support/status_reply_text.h"
#include "tests/support/status_server_process.h"
#include "tests/ui/dialog_query.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace {

// Controls, format characters (bidirectional controls, zero-width
// characters, the byte order mark) and line or paragraph separators, as the
// toolkit's own character data classes them.
bool HasHiddenOrControl(const QString& text) {
  for (const QChar ch : text) {
    switch (ch.category()) {
      case QChar::Other_Control:
      case QChar::Other_Format:
      case QChar::Separator_Line:
      case QChar::Separator_Paragraph: return true;
      default: break;
    }
  }
  return false;
}

// A right-to-left override that would show "evil" as "live", a zero-width
// space, the C1 controls NEL and CSI, and 0x81, which Windows-1252 has no
// character for.
const std::string kSpoofedHost =
    // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
    "\xE2\x80\xAE"
    "live\xE2\x80\x8B"
    "x\xC2\x85\xC2\x9B"
    "y\x81";
const QString kShownHost = QStringLiteral(u"\uFFFDlive\uFFFDx\uFFFD\uFFFDy\uFFFD");

TEST(ShownTextDialogTest, ServerTextShowsSafelyAndTheFieldKeepsItsBytes) {
  dialog_query::QueryDialog query;
  ASSERT_TRUE(query.ready());
  const std::string reply =
      vqtest::StatusReply({"a", "b", kSpoofedHost, "Track\x1B[2J", "x", "4", "y", "1", "z", "S", "w", "x60"});
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--reply-hex",
                                                        vqtest::HexOf(reply)});
  query.SetAddress(server.AddressText());
  query.PressPingServer();
  ASSERT_TRUE(query.dialog.StatusReplyDecoded());

  EXPECT_EQ(query.Edit(IDC_HOST)->text(), kShownHost);
  EXPECT_EQ(query.Edit(IDC_TRACK)->text(), QStringLiteral(u"Track\uFFFD[2J"));
  EXPECT_FALSE(HasHiddenOrControl(query.Edit(IDC_HOST)->text()));
  EXPECT_EQ(query.dialog.m_strHost.str(), kSpoofedHost);

  // Each keystroke in the address field reads every edit back: the fields
  // the user left alone keep their bytes, the address takes what was typed.
  QTest::keyClick(query.Edit(IDC_ADDRESS), Qt::Key_End);
  QTest::keyClicks(query.Edit(IDC_ADDRESS), "9");
  EXPECT_EQ(query.dialog.m_strAddress.str(), server.AddressText() + "9");
  EXPECT_EQ(query.dialog.m_strHost.str(), kSpoofedHost);
  EXPECT_EQ(query.dialog.m_strTrack.str(), "Track\x1B[2J");
  query.dialog.UpdateData(FALSE);
  query.dialog.UpdateData(TRUE);
  EXPECT_EQ(query.dialog.m_strHost.str(), kSpoofedHost);
}

TEST(ShownTextDialogTest, AnAddressBookLineShowsSafelyAndKeepsItsBytes) {
  using address_book_test::Record;
  address_book_test::ScopedWorkingDirectory dir;
  // NOLINTNEXTLINE(misc-misleading-bidirectional): the override is input, written as an escape
  const std::string description = " = \xE2\x80\xAEpmac\xE2\x80\x8Bx\x81";
  dir.Write(Record(0, "127.0.0.1", description));
  RegisterQuillmarResources();
  const vqtest::ScopedMessageBoxRecorder boxes;
  CQuillmarDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
  auto* list = static_cast<QListWidget*>(ui_test::ControlWidget(dialog, IDC_ADDRESS_LIST));
  ASSERT_EQ(list->count(), 1);
  const QString shown = list->item(0)->text();
  EXPECT_FALSE(HasHiddenOrControl(shown)) << shown.toStdString();
  EXPECT_TRUE(shown.startsWith(QStringLiteral(u"127.0.0.1  = \uFFFDpmac\uFFFDx\uFFFD"))) << shown.toStdString();
  CString line;
  dialog.m_ctlAddressList.GetText(0, line);
  EXPECT_EQ(line.str(), address_book_test::Line("127.0.0.1", description));
  dialog.DestroyWindow();
}

}  // namespace
