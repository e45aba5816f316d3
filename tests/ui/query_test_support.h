#pragma once
// Drives the main dialog's "Ping Server" in tests: the dialog modeless on
// the offscreen platform, the sockets library started, message boxes
// recorded, and every position the progress bar takes.
#include <QApplication>
#include <QLineEdit>
#include <QObject>
#include <QProgressBar>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/message_box.h"
#include "platform/winsock/scoped_startup.h"
#include "tests/support/netns_namespace.h"
#include "tests/ui/ui_test_support.h"
#include "ui/quillmar_dlg.h"
#include "ui/resources.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace query_test {

class QueryDialog {
  // Started before the dialog is made, cleaned up after it is destroyed.
  const winsock::ScopedStartup m_sockets;

 public:
  QueryDialog() {
    RegisterQuillmarResources();
    m_created = dialog.Create(IDD_QUILLMAR_DIALOG) != FALSE;
    // The first paint is over before a test types an address; so are the
    // address book's messages.
    QCoreApplication::processEvents();
    boxes = std::make_unique<vqtest::ScopedMessageBoxRecorder>();
    if (m_created) {
      QObject::connect(Bar(), &QProgressBar::valueChanged, [this](int value) { positions.push_back(value); });
    }
  }
  ~QueryDialog() {
    boxes.reset();
    dialog.DestroyWindow();
  }
  QueryDialog(const QueryDialog&) = delete;
  QueryDialog& operator=(const QueryDialog&) = delete;

  bool ready() const { return m_sockets.started() && m_created; }

  QProgressBar* Bar() const { return static_cast<QProgressBar*>(ui_test::ControlWidget(dialog, IDC_PROGRESS)); }
  QLineEdit* Edit(int id) const { return static_cast<QLineEdit*>(ui_test::ControlWidget(dialog, id)); }

  // Types nothing: sets the address as a double-click on the list would.
  void SetAddress(const std::string& address) {
    dialog.m_strAddress = address.c_str();
    dialog.UpdateData(FALSE);
  }
  // Clicks "Ping Server" and returns when the query is over.
  void PressPingServer() {
    positions.clear();
    boxes->clear();
    QTest::mouseClick(ui_test::ControlWidget(dialog, IDC_PING_SERVER), Qt::LeftButton);
  }
  void SetBar(int position) { dialog.GetDlgItem(IDC_PROGRESS)->SendMessage(PBM_SETPOS, static_cast<WPARAM>(position)); }

  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const framework::MessageBoxRequest& box : boxes->boxes()) texts.emplace_back(static_cast<LPCSTR>(box.text));
    return texts;
  }

  CQuillmarDlg dialog;
  std::unique_ptr<vqtest::ScopedMessageBoxRecorder> boxes;
  std::vector<int> positions;  // every change of the bar's position, in order

 private:
  bool m_created = false;
};

// The messages a query shows before its exchange: none when the echo is
// answered; when this user may not open ICMP sockets, the one that says so.
inline bool EchoMessagesFit(const std::vector<std::string>& echoMessages) {
  if (echoMessages.empty()) return true;
  return !netns::HaveRoot() && echoMessages.size() == 1 &&
         echoMessages[0].find("net.ipv4.ping_group_range") != std::string::npos;
}

inline bool IsDecimal(const CString& text) {
  if (text.IsEmpty()) return false;
  for (int i = 0; i < text.GetLength(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

}  // namespace query_test
