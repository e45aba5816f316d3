#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"
#include "ui/about_dlg.h"
#include "ui/resources.h"

namespace {

TEST(AboutDlgTest, ShowsTheIconAndNameAndOkEndsIt) {
  RegisterQuillmarResources();
  bool iconShown = false;
  QString caption;
  framework::ScopedModalDialogHook hook([&](CDialog& dialog) {
    caption = dialog.widget()->windowTitle();
    for (const QLabel* label : dialog.widget()->findChildren<QLabel*>()) {
      if (!label->pixmap().isNull() && label->pixmap().size() == QSize(32, 32)) iconShown = true;
    }
    QWidget* ok = ui_test::ControlWidget(dialog, IDOK);
    QTimer::singleShot(0, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
  });
  CAboutDlg about;
  EXPECT_EQ(about.DoModal(), IDOK);
  EXPECT_EQ(caption, QStringLiteral("About Veloxa Quillmar"));
  EXPECT_TRUE(iconShown);
}

}  // namespace
