#pragma once
// Drives the main dialog's "Ping Server" in tests, as the program's
// unattended runs do (CUnattendedDialog), and records every position the
// progress bar takes.
#include <QApplication>
#include <QLineEdit>
#include <QObject>
#include <QProgressBar>
#include <string>
#include <vector>

#include "tests/support/netns_namespace.h"
#include "tests/ui/ui_test_support.h"
#include "ui/query_runner.h"
#include "ui/resources.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace dialog_query {

// The resources registered before the dialog is made.
struct RegisteredResources {
  RegisteredResources() { RegisterQuillmarResources(); }
};

class QueryDialog : private RegisteredResources {
 public:
  QueryDialog() {
    if (m_unattended.Ready()) {
      QObject::connect(Bar(), &QProgressBar::valueChanged, [this](int value) { positions.push_back(value); });
    }
  }
  QueryDialog(const QueryDialog&) = delete;
  QueryDialog& operator=(const QueryDialog&) = delete;

  bool ready() const { return m_unattended.Ready(); }

  QProgressBar* Bar() const { return static_cast<QProgressBar*>(ui_test::ControlWidget(dialog, IDC_PROGRESS)); }
  QLineEdit* Edit(int id) const { return static_cast<QLineEdit*>(ui_test::ControlWidget(dialog, id)); }

  // Types nothing: sets the address as a double-click on the list would.
  void SetAddress(const std::string& address) { m_unattended.SetAddress(address.c_str()); }
  // Presses "Ping Server" and returns when the query is over.
  void PressPingServer() {
    positions.clear();
    m_messages = m_unattended.PressPingServer();
  }
  void SetBar(int position) { dialog.GetDlgItem(IDC_PROGRESS)->SendMessage(PBM_SETPOS, static_cast<WPARAM>(position)); }

  // The texts of the message boxes of the last query.
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const CString& message : m_messages) texts.emplace_back(static_cast<LPCSTR>(message));
    return texts;
  }

 private:
  CUnattendedDialog m_unattended;
  std::vector<CString> m_messages;

 public:
  CQuillmarDlg& dialog = m_unattended.dialog();
  std::vector<int> positions;  // every change of the bar's position, in order
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

}  // namespace dialog_query
