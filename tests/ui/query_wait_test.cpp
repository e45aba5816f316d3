// A server that stays silent: the query waits out its five seconds, and
// meanwhile the window repaints but takes no input.
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/window/blocking_wait_hook.h"
#include "tests/support/status_server_process.h"
#include "tests/ui/query_test_support.h"

namespace {

using query_test::QueryDialog;

// Counts the paints of a widget that happen while the program waits.
class PaintsDuringWait : public QObject {
 public:
  explicit PaintsDuringWait(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && framework::InBlockingWait()) ++count;
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
    query.dialog.Invalidate();
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
  EXPECT_TRUE(query_test::EchoMessagesFit({messages.begin(), messages.end() - 1}))
      << ::testing::PrintToString(messages);
  EXPECT_EQ(query.positions, (std::vector<int>{0, 25, 50}));
  EXPECT_EQ(query.Bar()->value(), 50);
  EXPECT_TRUE(query_test::IsDecimal(query.dialog.m_strPing));
  EXPECT_FALSE(query.dialog.StatusReplyDecoded());

  EXPECT_GT(paints.count, 0);
  EXPECT_FALSE(addressFieldDuringWait.contains(QLatin1Char('q'))) << addressFieldDuringWait.toStdString();
  QCoreApplication::processEvents();  // the query is over: the key arrives now, at the
  // start of the address, where the cursor stands since the program set it
  EXPECT_TRUE(addressField->text().startsWith(QLatin1Char('q'))) << addressField->text().toStdString();
}

}  // namespace
