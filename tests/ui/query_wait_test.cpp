// A server that stays silent: the query waits out its five seconds, and
// meanwhile the window repaints but takes no input; a close request ends
// the wait and the dialog at once.
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/framework/message_box.h"
#include "platform/window/blocking_wait_hook.h"
#include "platform/winsock/scoped_startup.h"
#include "tests/support/status_server_process.h"
#include "tests/ui/dialog_query.h"
#include "tests/support/platform_seams/message_box_recorder.h"

namespace {

using dialog_query::QueryDialog;
using Clock = std::chrono::steady_clock;

// Counts the paints of a widget that happen while the program waits.
class PaintsDuringWait : public QObject {
 public:
  explicit PaintsDuringWait(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint && framework::HandlerWaits()) ++count;
    return false;
  }
};

TEST(QueryWaitTest, SilentServerIsNotDetectedAfterFiveSecondsWhileTheWindowRepaintsButTakesNoInput) {
  QueryDialog query;
  ASSERT_TRUE(query.ready());
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--silent"});
  query.SetBar(60);
  query.SetAddress(server.AddressText());

  // Well inside the receive wait: a repaint request and a key for the address field.
  PaintsDuringWait paints(ui_test::ClientArea(query.dialog));
  QString addressFieldDuringWait;
  QLineEdit* addressField = query.Edit(IDC_ADDRESS);
  QTimer::singleShot(1500, [&] {
    ui_test::ClientArea(query.dialog)->update();
    QCoreApplication::postEvent(addressField,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q")));
  });
  QTimer::singleShot(2500, [&] { addressFieldDuringWait = addressField->text(); });

  QElapsedTimer clock;
  clock.start();
  query.PressPingServer();
  EXPECT_GE(clock.elapsed(), 4500);

  const std::vector<std::string> messages = query.Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "Veloxa server not detected");
  // "Ping Timed Out" only when the echo failed; the loopback answers it.
  EXPECT_TRUE(dialog_query::EchoMessagesFit({messages.begin(), messages.end() - 1}))
      << ::testing::PrintToString(messages);
  EXPECT_EQ(query.positions, (std::vector<int>{0, 25, 50}));
  EXPECT_EQ(query.Bar()->value(), 50);
  EXPECT_TRUE(dialog_query::IsDecimal(query.dialog.m_strPing));
  EXPECT_FALSE(query.dialog.StatusReplyDecoded());

  EXPECT_GT(paints.count, 0);
  EXPECT_FALSE(addressFieldDuringWait.contains(QLatin1Char('q'))) << addressFieldDuringWait.toStdString();
  QCoreApplication::processEvents();  // the query is over: the key arrives now, at the
  // start of the address, where the cursor stands since the program set it
  EXPECT_TRUE(addressField->text().startsWith(QLatin1Char('q'))) << addressField->text().toStdString();
}

// The main dialog run modally, as the program runs it: the address typed
// in, "Ping Server" pressed, and one second into the five-second wait for
// the silent server's reply the user asks the window to close.
struct ClosedDuringTheWait {
  INT_PTR result = 0;
  std::vector<std::string> messages;
  std::vector<int> positions;
  CString strPing;
  CString strHost;
  Clock::duration requestToClosed{};
};

ClosedDuringTheWait CloseOneSecondIntoTheWait(const std::string& address,
                                              const std::function<void(QWidget*)>& request) {
  ClosedDuringTheWait seen;
  const winsock::ScopedStartup sockets;
  vqtest::ScopedMessageBoxRecorder boxes;
  CQuillmarDlg dialog;
  Clock::time_point requestedAt;
  const framework::ScopedModalDialogHook hook([&](CDialog&) {
    dialog.m_strAddress = address.c_str();
    dialog.UpdateData(FALSE);
    dialog.GetDlgItem(IDC_PROGRESS)->SendMessage(PBM_SETPOS, 60);  // so that the first position, 0, shows
    QWidget* window = dialog.widget();
    QObject::connect(static_cast<QProgressBar*>(ui_test::ControlWidget(dialog, IDC_PROGRESS)),
                     &QProgressBar::valueChanged, [&](int value) { seen.positions.push_back(value); });
    QTimer::singleShot(0, window, [&, window] {
      QTimer::singleShot(1000, window, [&, window] {
        requestedAt = Clock::now();
        request(window);
      });
      QTest::mouseClick(ui_test::ControlWidget(dialog, IDC_PING_SERVER), Qt::LeftButton);
    });
    // A request that went unheard must fail the test, not hang it.
    QTimer::singleShot(10000, window, [&] { dialog.EndDialog(-2); });
  });
  seen.result = dialog.DoModal();
  seen.requestToClosed = Clock::now() - requestedAt;
  for (const framework::MessageBoxRequest& box : boxes.boxes()) seen.messages.emplace_back(box.text.str());
  seen.strPing = dialog.m_strPing;
  seen.strHost = dialog.m_strHost;
  return seen;
}

// Closed by the close box or by Escape: the query ends at once, without its
// message and without a further step, and the dialog ends as by Cancel. The
// reply wait had four seconds left, so ending soon after the request shows
// that the request, not the time-out, ended it.
TEST(QueryWaitTest, CloseRequestDuringTheWaitEndsTheQueryAtOnceWithoutAWordAndClosesTheDialog) {
  RegisterQuillmarResources();
  vqtest::StatusServerProcess server(VQ_STATUS_SERVER, {"--bind", vqtest::DistinctLoopbackAddress(), "--silent"});
  const struct {
    const char* name;
    std::function<void(QWidget*)> request;
  } cases[] = {
      {"close box", [](QWidget* window) { window->close(); }},
      {"Escape", [](QWidget* window) { QTest::keyClick(window->windowHandle(), Qt::Key_Escape); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ClosedDuringTheWait seen = CloseOneSecondIntoTheWait(server.AddressText(), c.request);
    EXPECT_EQ(seen.result, IDCANCEL);
    EXPECT_LT(seen.requestToClosed, std::chrono::seconds(3));
    EXPECT_TRUE(dialog_query::EchoMessagesFit(seen.messages)) << ::testing::PrintToString(seen.messages);
    EXPECT_EQ(seen.positions, (std::vector<int>{0, 25, 50}));
    EXPECT_TRUE(dialog_query::IsDecimal(seen.strPing));
    EXPECT_TRUE(seen.strHost.IsEmpty());
  }
}

}  // namespace
