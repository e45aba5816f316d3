// The dialog, the About box and a message box on a screen scaled by two: the
// layout is the same in logical pixels, everything is drawn with twice the
// pixels, the icons are drawn at the size needed and no text is cut off.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <gtest/gtest.h>

#include "platform/window/control_widgets.h"
#include "platform/window/dialog_units.h"
#include "platform/window/icon_resource_qt.h"
#include "platform/window/message_box_window.h"
#include "tests/support/scoped_working_directory.h"
#include "ui/about_dlg.h"
#include "ui/quillmar_dlg.h"
#include "ui/resources.h"

namespace {

class HighDpiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "QT_SCALE_FACTOR=2 did not reach the toolkit";
    RegisterQuillmarResources();
  }
  vqtest::ScopedEmptyAddressBook addressBook;
};

std::vector<QWidget*> Controls(const CWnd& dialog) {
  std::vector<QWidget*> controls;
  for (QObject* child : dialog.GetDlgItem(IDC_ADDRESS)->widget()->parentWidget()->children()) {
    if (auto* widget = dynamic_cast<QWidget*>(child); widget != nullptr && widget->property("vqControlId").isValid()) {
      controls.push_back(widget);
    }
  }
  return controls;
}

TEST_F(HighDpiTest, MainDialogScalesAsAWhole) {
  CQuillmarDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
  const framework::DialogBaseUnits units = framework::BaseUnitsOf(dialog.widget()->font());
  const framework::DialogTemplate* dialogTemplate = framework::FindDialogTemplate(IDD_QUILLMAR_DIALOG);
  const QWidget* client = dialog.GetDlgItem(IDC_ADDRESS)->widget()->parentWidget();
  EXPECT_EQ(client->size(), framework::DialogUnitsToPixels(0, 0, dialogTemplate->cx, dialogTemplate->cy, units).size());
  for (const framework::ControlTemplate& c : dialogTemplate->controls) {
    if (c.id == IDC_STATIC) continue;
    const QRect expected = framework::DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, units);
    EXPECT_EQ(dialog.GetDlgItem(c.id)->widget()->geometry(), expected) << c.id;
  }
  const QPixmap picture = dialog.widget()->grab();
  EXPECT_EQ(picture.devicePixelRatio(), 2.0);
  EXPECT_EQ(picture.size(), dialog.widget()->size() * 2);
}

TEST_F(HighDpiTest, NoLabelOrButtonTextIsCutOff) {
  CQuillmarDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
  int labels = 0;
  for (const QWidget* widget : Controls(dialog)) {
    if (const auto* label = dynamic_cast<const QLabel*>(widget)) {
      ++labels;
      const QRect ink = label->fontMetrics().boundingRect(label->text());
      EXPECT_GE(label->width(), std::max(label->fontMetrics().horizontalAdvance(label->text()), ink.right() + 1))
          << label->text().toStdString();
      EXPECT_GE(label->height(), label->fontMetrics().height()) << label->text().toStdString();
    } else if (const auto* button = dynamic_cast<const QPushButton*>(widget)) {
      const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
      EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + 2 * margin);
    } else if (const auto* group = dynamic_cast<const framework::GroupBoxWidget*>(widget)) {
      EXPECT_GE(group->titleRect().width(), group->fontMetrics().horizontalAdvance(group->title()));
    }
  }
  EXPECT_EQ(labels, 10);
}

// The About box's icon shows the drawing made for 64 pixels, not the
// 32-pixel one enlarged.
TEST_F(HighDpiTest, AboutBoxIconIsDrawnAtTwiceItsSize) {
  CAboutDlg about;
  ASSERT_TRUE(about.Create(IDD_ABOUTBOX));
  const framework::IconWidget* icon = nullptr;
  for (const QWidget* widget : about.widget()->findChildren<QWidget*>()) {
    if (const auto* found = dynamic_cast<const framework::IconWidget*>(widget)) icon = found;
  }
  ASSERT_NE(icon, nullptr);
  const QImage shown =
      const_cast<framework::IconWidget*>(icon)->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(shown.size(), QSize(64, 64));
  const framework::IconImage drawn = DrawProgramIconAt(64);
  int differing = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const QRgb wanted = drawn.palette[drawn.pixels[static_cast<std::size_t>(y) * 64 + static_cast<std::size_t>(x)]];
      if (qAlpha(wanted) == 0xFF && shown.pixel(x, y) != wanted) ++differing;
    }
  }
  EXPECT_EQ(differing, 0);
}

// The window manager is offered the icon's own sizes and their doubles.
TEST_F(HighDpiTest, TheWindowIconComesInTheScreensSizes) {
  const QIcon icon = framework::ToQIcon(framework::LoadIconResource(IDR_MAINFRAME));
  EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(32, 32), QSize(16, 16), QSize(64, 64)}));
}

TEST_F(HighDpiTest, MessageBoxIconIsDrawnForTheScreen) {
  framework::MessageBoxWindow box({nullptr, "Ping Timed Out", "Veloxa Quillmar", MB_OK | MB_ICONEXCLAMATION});
  box.show();
  EXPECT_EQ(box.iconPixmap().devicePixelRatio(), 2.0);
  EXPECT_EQ(box.iconPixmap().size(), QSize(64, 64));
  EXPECT_GE(box.width(), framework::CaptionWidth(box.windowTitle(), box.font()));
}

}  // namespace
