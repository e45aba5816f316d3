// The main dialog from the keyboard alone: Tab to the saved addresses, Down
// to the second line, Enter or Space to choose it, and Enter in a field to
// ask the server there.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

#include "platform/framework/message_box.h"
#include "platform/winsock/scoped_startup.h"
#include "query/chosen_address.h"
#include "tests/support/address_book_records.h"
#include "tests/support/status_server_process.h"
#include "tests/ui/ui_test_support.h"
#include "ui/quillmar_dlg.h"
#include "ui/resources.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace {

using address_book_test::Record;

// Presses Tab until the focus is on `target`; false when it never gets there.
bool TabTo(QWidget* target) {
  for (int i = 0; i < 20 && QApplication::focusWidget() != target; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  return QApplication::focusWidget() == target;
}

TEST(KeyboardDialogTest, SecondSavedAddressChosenWithTheKeyboardIsTheOneAsked) {
  RegisterQuillmarResources();
  // Each server answers with the address it was asked on as its host name.
  const std::string first = vqtest::DistinctLoopbackAddress();
  const std::string second = vqtest::DistinctLoopbackAddress();
  vqtest::StatusServerProcess one(VQ_STATUS_SERVER, {"--bind", first, "--host-is-address"});
  vqtest::StatusServerProcess two(VQ_STATUS_SERVER, {"--bind", second, "--host-is-address"});
  const winsock::ScopedStartup sockets;
  ASSERT_TRUE(sockets.started());

  for (const Qt::Key choose : {Qt::Key_Return, Qt::Key_Space}) {
    SCOPED_TRACE(choose == Qt::Key_Return ? "Enter" : "Space");
    address_book_test::ScopedWorkingDirectory dir;
    dir.Write(Record(0, first, " = First server") + Record(1, second, " = Second server"));
    vqtest::ScopedMessageBoxRecorder boxes;
    CQuillmarDlg dialog;
    ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
    dialog.widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.widget()));
    auto* list = static_cast<QListWidget*>(ui_test::ControlWidget(dialog, IDC_ADDRESS_LIST));
    ASSERT_EQ(list->count(), 2);
    CString secondLine;
    dialog.m_ctlAddressList.GetText(1, secondLine);
    const CString chosen = ChosenAddress(secondLine);

    ASSERT_TRUE(TabTo(list));
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, choose);
    EXPECT_EQ(dialog.m_ctlAddressList.GetCurSel(), 1);
    EXPECT_STREQ(dialog.m_strAddress, chosen);
    EXPECT_EQ(static_cast<QLineEdit*>(ui_test::ControlWidget(dialog, IDC_ADDRESS))->text().toStdString(), chosen.str());

    // Enter in a field presses the default button, "Ping Server".
    QTest::keyClick(list, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(dialog.StatusReplyDecoded());
    EXPECT_STREQ(dialog.m_strHost, chosen);
  }
}

}  // namespace
