#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/window/control_widgets.h"
#include "platform/window/icon_resource.h"
#include "platform/window/icon_resource_qt.h"
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
    for (const QWidget* child : dialog.widget()->findChildren<QWidget*>()) {
      const auto* icon = dynamic_cast<const framework::IconWidget*>(child);
      if (icon == nullptr) continue;
      iconShown = icon->size() == QSize(32, 32) &&
                  icon->icon().cacheKey() == framework::ToQIcon(framework::LoadIconResource(IDR_MAINFRAME)).cacheKey();
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
