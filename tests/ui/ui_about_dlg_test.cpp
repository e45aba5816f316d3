#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "platform/window/control_widgets.h"
#include "platform/window/icon_resource.h"
#include "platform/window/icon_resource_qt.h"
#include "platform/window/message_box_window.h"
#include "tests/ui/ui_test_support.h"
#include "ui/about_dlg.h"
#include "ui/resources.h"

namespace {

// The version part of what quillmar --version prints.
QString ProgramVersion() {
  std::string text = VersionText();
  const std::string name = "Veloxa Quillmar ";
  if (text.rfind(name, 0) != 0) return {};
  text.erase(0, name.size());
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return QString::fromStdString(text);
}

TEST(AboutDlgTest, ShowsTheIconNameAndVersionAndOkEndsIt) {
  RegisterQuillmarResources();
  bool iconShown = false;
  QString caption;
  QStringList labels;
  framework::ScopedModalDialogHook hook([&](CDialog& dialog) {
    caption = dialog.widget()->windowTitle();
    for (const QWidget* child : dialog.widget()->findChildren<QWidget*>()) {
      if (const auto* label = qobject_cast<const QLabel*>(child)) labels << label->text();
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
  ASSERT_FALSE(ProgramVersion().isEmpty()) << VersionText();
  EXPECT_TRUE(labels.contains(QStringLiteral("Veloxa Quillmar"))) << labels.join(u'|').toStdString();
  EXPECT_TRUE(labels.contains(QStringLiteral("Version ") + ProgramVersion())) << labels.join(u'|').toStdString();
}

// A dialog's title bar: the caption and a close button, no minimise or
// maximise; a frame of fixed size, wide enough for the whole caption.
TEST(AboutDlgTest, TitleBarHasACloseButtonOnlyAndTheFrameIsFixed) {
  RegisterQuillmarResources();
  framework::ScopedModalDialogHook hook([&](CDialog& dialog) {
    const QWidget* window = dialog.widget();
    EXPECT_EQ(window->windowFlags(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_GE(window->width(), framework::CaptionWidth(window->windowTitle(), window->font()));
    dialog.EndDialog(IDOK);
  });
  CAboutDlg about;
  EXPECT_EQ(about.DoModal(), IDOK);
}

}  // namespace
