#pragma once
// The toolkit window of a CDialog: a fixed-size dialog with an optional menu
// bar above a client area that holds the controls. Toolkit events become the
// dialog's messages here.
#include <QDialog>
#include <optional>

#include "platform/window/dialog_template.h"
#include "platform/window/message_map.h"

class CDialog;
class QMenuBar;

namespace framework {

class ClientArea;

class DialogWindow : public QDialog {
 public:
  DialogWindow(CDialog* owner, const DialogTemplate& dialog, QWidget* parent);

  // The dialog object is going away: no more messages to it.
  void detach() { m_owner = nullptr; }
  CDialog* owner() const { return m_owner; }
  QWidget* client() const;
  void dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void showSystemMenu(const QPoint& globalPos);
  // Gives the window its size and its place, centred on its parent's window
  // or, without a parent, on its screen, before it is initialised: a message
  // box from the initialisation then opens centred on it, as the window will
  // appear.
  void placeCentred();

  // A request to close the dialog (the close box, the window manager's
  // Close, Escape), as the message that makes it. Sent at once, unless one
  // of the dialog's handlers waits: then the wait ends as interrupted, the
  // request is pending, and it is sent once the handler has returned.
  void requestClose(UINT message, WPARAM wParam);
  bool closePending() const { return m_pendingClose.has_value(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 public:
  void reject() override;  // Escape: the cancel command
  void accept() override;  // the OK command

 private:
  void buildMenuBar(UINT menuId);
  void sendPendingClose();

  CDialog* m_owner;
  ClientArea* m_client;
  QMenuBar* m_menuBar = nullptr;
  std::optional<Message> m_pendingClose;
};

}  // namespace framework
