#pragma once
#include <functional>
#include <vector>

#include "platform/framework/cstring.h"
#include "platform/winsock/scoped_startup.h"
#include "query/query_outcome.h"
#include "ui/quillmar_dlg.h"

// The main dialog run without a user, for one query after another: the
// sockets library started before the dialog is made (and cleaned up after
// it is gone), the dialog modeless and painted once, as a user would first
// see it, before any address is put in. What the dialog says while it
// initialises (the address book's message) is no message of a query: it
// goes wherever message boxes go at the time.
class CUnattendedDialog {
 public:
  CUnattendedDialog();
  ~CUnattendedDialog();
  CUnattendedDialog(const CUnattendedDialog&) = delete;
  CUnattendedDialog& operator=(const CUnattendedDialog&) = delete;

  bool SocketsStarted() const { return m_sockets.started(); }
  // False when the sockets library did not start or the window was not made.
  bool Ready() const { return m_created; }
  CQuillmarDlg& dialog() { return m_dialog; }

  // Puts the address into the address field, as a double-click on the list would.
  void SetAddress(const CString& strAddress);
  // Presses "Ping Server" through the dialog's message map (so the
  // framework's guard reports the socket errors, as in the program) and
  // returns when the query is over, with the texts of the message boxes it
  // opened, in order; each box is answered with OK at once, and its text
  // also goes to `onMessage`.
  std::vector<CString> PressPingServer(const std::function<void(const CString&)>& onMessage = {});
  // What the dialog shows now: its address and result fields, whether the
  // last query decoded a status reply, and its echo's round trip.
  QueryOutcome Shown() const;

 private:
  const winsock::ScopedStartup m_sockets;
  CQuillmarDlg m_dialog;
  bool m_created = false;
};

struct ServerQueryHooks {
  // Called with each message-box text as the box would open; the box is
  // answered with OK at once.
  std::function<void(const CString&)> onMessage;
  // Called with the dialog once the query has ended, before it is destroyed.
  std::function<void(CQuillmarDlg&)> onFinished;
};

// Runs the query command of the main dialog for one address without a user
// (CUnattendedDialog) and collects what the dialog shows. The messages
// collected are the query's, or the one that says the sockets library did
// not start.
QueryOutcome RunServerQuery(const CString& strAddress, const ServerQueryHooks& hooks = {});
