#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <string>

#include "platform/framework/cstring.h"
#include "platform/window/dialog_template.h"
#include "platform/window/dialog_units.h"
#include "platform/window/control_widgets.h"
#include "platform/window/icon_resource.h"
#include "platform/window/icon_resource_qt.h"
#include "tests/ui/ui_test_support.h"
#include "ui/quillmar_dlg.h"
#include "ui/resources.h"

namespace {

using framework::ControlKind;

struct Expected {
  int id;
  ControlKind kind;
  std::string text;
  int x, y, cx, cy;
};

const std::vector<Expected> kMainDialog = {
    {1000, ControlKind::Edit, "", 7, 17, 66, 14},
    {1001, ControlKind::PushButton, "Ping Server", 7, 128, 50, 14},
    {1003, ControlKind::Edit, "", 168, 13, 91, 14},
    {-1, ControlKind::Label, "HOST", 143, 17, 20, 8},
    {1004, ControlKind::Edit, "", 168, 29, 91, 14},
    {-1, ControlKind::Label, "TRACK", 140, 33, 24, 8},
    {1005, ControlKind::Edit, "", 168, 45, 91, 14},
    {-1, ControlKind::Label, "PLAYERS", 132, 49, 32, 8},
    {1006, ControlKind::Edit, "", 168, 61, 91, 14},
    {-1, ControlKind::Label, "TYPE", 145, 64, 19, 8},
    {1007, ControlKind::Edit, "", 168, 77, 21, 14},
    {-1, ControlKind::Label, "SESSION", 134, 80, 31, 8},
    {-1, ControlKind::GroupBox, "Results", 117, 7, 147, 135},
    {1012, ControlKind::ListBox, "", 7, 47, 108, 67},
    {-1, ControlKind::Label, "Dbl-Click to Select an Address:", 8, 34, 93, 8},
    {-1, ControlKind::Label, "Enter IP or.......", 8, 9, 42, 8},
    {1015, ControlKind::Edit, "", 168, 93, 40, 14},
    {-1, ControlKind::Label, "TIME_LEFT", 127, 96, 37, 8},
    {1016, ControlKind::Edit, "", 168, 109, 40, 14},
    {-1, ControlKind::Label, "PING", 147, 112, 17, 8},
    {1017, ControlKind::ProgressBar, "", 169, 128, 90, 8},
    {-1, ControlKind::Label, "Progress", 129, 128, 29, 8},
};

// The picture of an icon image, pixel by pixel from its palette.
QImage ImageOf(const framework::IconImage& icon) {
  QImage image(icon.width, icon.height, QImage::Format_ARGB32);
  for (int y = 0; y < icon.height; ++y) {
    for (int x = 0; x < icon.width; ++x) {
      image.setPixel(x, y,
                     icon.palette[icon.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(icon.width) +
                                              static_cast<std::size_t>(x)]]);
    }
  }
  return image;
}

ControlKind KindOf(const QWidget* w) {
  if (dynamic_cast<const QLineEdit*>(w) != nullptr) return ControlKind::Edit;
  if (dynamic_cast<const QPushButton*>(w) != nullptr) return ControlKind::PushButton;
  if (dynamic_cast<const QGroupBox*>(w) != nullptr) return ControlKind::GroupBox;
  if (dynamic_cast<const QListWidget*>(w) != nullptr) return ControlKind::ListBox;
  if (dynamic_cast<const QProgressBar*>(w) != nullptr) return ControlKind::ProgressBar;
  return ControlKind::Label;
}

std::string TextOf(const QWidget* w) {
  if (const auto* label = dynamic_cast<const QLabel*>(w)) return label->text().toStdString();
  if (const auto* button = dynamic_cast<const QPushButton*>(w)) return button->text().toStdString();
  if (const auto* group = dynamic_cast<const QGroupBox*>(w)) return group->title().toStdString();
  if (const auto* edit = dynamic_cast<const QLineEdit*>(w)) return edit->text().toStdString();
  return "";
}

framework::GroupBoxWidget* ResultsFrame(const CWnd& dialog) {
  for (QObject* child : ui_test::ClientArea(dialog)->children()) {
    if (auto* group = dynamic_cast<framework::GroupBoxWidget*>(child)) return group;
  }
  return nullptr;
}

class UiResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterQuillmarResources(); }
  ui_test::ScopedEmptyAddressBook addressBook;
};

TEST_F(UiResourcesTest, MainDialogHasEveryControlInTemplateOrderWhereTheTableSays) {
  CQuillmarDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
  QWidget* client = ui_test::ClientArea(dialog);
  const framework::DialogBaseUnits units = framework::BaseUnitsOf(dialog.widget()->font());
  std::vector<QWidget*> controls;
  for (QObject* child : client->children()) {
    if (auto* widget = dynamic_cast<QWidget*>(child); widget != nullptr && widget->property("vqControlId").isValid()) {
      controls.push_back(widget);
    }
  }
  std::sort(controls.begin(), controls.end(), [](QWidget* a, QWidget* b) {
    return a->property("vqTemplateIndex").toInt() < b->property("vqTemplateIndex").toInt();
  });
  ASSERT_EQ(controls.size(), kMainDialog.size());
  for (std::size_t i = 0; i < kMainDialog.size(); ++i) {
    const Expected& e = kMainDialog[i];
    QWidget* widget = controls[i];
    SCOPED_TRACE(e.text + " #" + std::to_string(i));
    EXPECT_EQ(widget->property("vqControlId").toInt(), e.id);
    EXPECT_EQ(KindOf(widget), e.kind);
    EXPECT_EQ(TextOf(widget), e.text);
    const QRect pixels = framework::DialogUnitsToPixels(e.x, e.y, e.cx, e.cy, units);
    EXPECT_EQ(widget->x(), pixels.x());
    EXPECT_EQ(widget->y(), pixels.y());
    EXPECT_EQ(widget->height(), pixels.height());
    if (e.kind == ControlKind::Label) {
      EXPECT_GE(widget->width(), pixels.width());  // labels may widen to show their whole text
      EXPECT_LE(widget->x() + widget->width(), framework::DialogUnitsToPixels(168, 0, 0, 0, units).x() + 2);
    } else {
      EXPECT_EQ(widget->width(), pixels.width());
    }
  }
  EXPECT_EQ(dialog.widget()->windowTitle(), QStringLiteral("Veloxa Quillmar"));
  EXPECT_EQ(client->size(), framework::DialogUnitsToPixels(0, 0, 274, 149, units).size());
  EXPECT_TRUE(dialog.widget()->windowFlags().testFlag(Qt::Window));  // its own task-bar entry
  EXPECT_EQ(dialog.widget()->minimumSize(), dialog.widget()->maximumSize());
  EXPECT_TRUE(static_cast<QPushButton*>(ui_test::ControlWidget(dialog, IDC_PING_SERVER))->isDefault());
}

TEST_F(UiResourcesTest, TabOrderIsTemplateOrderAndFocusStartsInTheAddress) {
  CQuillmarDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
  dialog.widget()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.widget()));
  std::vector<int> order;
  for (int i = 0; i < 11; ++i) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    order.push_back(focus->property("vqControlId").toInt());
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  EXPECT_EQ(order, (std::vector<int>{1000, 1001, 1003, 1004, 1005, 1006, 1007, 1012, 1015, 1016, 1000}));
}

TEST_F(UiResourcesTest, AboutBoxMenuAndStrings) {
  const framework::DialogTemplate* about = framework::FindDialogTemplate(IDD_ABOUTBOX);
  ASSERT_NE(about, nullptr);
  EXPECT_STREQ(about->caption, "About Veloxa Quillmar");
  EXPECT_EQ(about->cx, 217);
  EXPECT_EQ(about->cy, 67);
  ASSERT_EQ(about->controls.size(), 4u);
  EXPECT_EQ(about->controls[0].kind, ControlKind::Icon);
  EXPECT_EQ(about->controls[0].imageId, static_cast<UINT>(IDR_MAINFRAME));
  EXPECT_EQ(std::make_pair(about->controls[0].x, about->controls[0].y), std::make_pair(13, 17));
  EXPECT_STREQ(about->controls[1].text, "Veloxa Quillmar");
  EXPECT_EQ(std::make_pair(about->controls[1].x, about->controls[1].y), std::make_pair(40, 10));
  const framework::ControlTemplate& ok = about->controls[2];
  EXPECT_EQ(ok.id, IDOK);
  EXPECT_STREQ(ok.text, "OK");
  EXPECT_EQ((std::vector<int>{ok.x, ok.y, ok.cx, ok.cy}), (std::vector<int>{178, 7, 32, 14}));
  EXPECT_NE(ok.style & BS_DEFPUSHBUTTON, 0u);
  EXPECT_EQ(about->controls[3].kind, ControlKind::Label);  // the version, under the name
  EXPECT_EQ(std::make_pair(about->controls[3].x, about->controls[3].y), std::make_pair(40, 22));

  const framework::MenuTemplate* menu = framework::FindMenuTemplate(IDR_MENU);
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->items.size(), 1u);
  EXPECT_STREQ(menu->items[0].text, "&About");
  ASSERT_EQ(menu->items[0].popup.size(), 1u);
  EXPECT_STREQ(menu->items[0].popup[0].text, "&About");
  EXPECT_EQ(menu->items[0].popup[0].id, 32772u);

  CString text;
  ASSERT_TRUE(text.LoadString(IDS_ABOUTBOX));
  EXPECT_EQ(text, "&About VeloxaQuillmar");
  ASSERT_TRUE(text.LoadString(IDP_SOCKETS_INIT_FAILED));
  EXPECT_EQ(text, "Windows sockets initialization failed.");
}

TEST_F(UiResourcesTest, ProgramIconIsDrawnAtBothSizesIn256Colours) {
  const std::vector<framework::IconImage> images = DrawProgramIcon();
  ASSERT_EQ(images.size(), 2u);
  for (const framework::IconImage& image : images) {
    SCOPED_TRACE(image.width);
    EXPECT_EQ(image.width, image.height);
    EXPECT_EQ(image.palette.size(), 256u);
    ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width * image.height));
    const std::set<BYTE> used(image.pixels.begin(), image.pixels.end());
    EXPECT_GE(used.size(), 6u);    // flag, pole, knob and wave colours, not a blank
    EXPECT_EQ(used.count(0), 1u);  // a transparent surround
    std::size_t opaque = 0;
    for (BYTE index : image.pixels) opaque += (image.palette[index] >> 24) != 0 ? 1 : 0;
    EXPECT_GT(opaque, image.pixels.size() / 3);
  }
  EXPECT_EQ(images[0].width, 32);
  EXPECT_EQ(images[1].width, 16);
  EXPECT_NE(framework::LoadIconResource(IDR_MAINFRAME), nullptr);
}

// The Results frame: its title and its top line lie inside the template's
// rectangle, every control in it sits below the line, and none meets the title.
TEST_F(UiResourcesTest, ResultsFrameHoldsItsControlsBelowItsTopLineAndClearOfItsTitle) {
  CQuillmarDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
  QWidget* client = ui_test::ClientArea(dialog);
  framework::GroupBoxWidget* group = ResultsFrame(dialog);
  ASSERT_NE(group, nullptr);
  const QRect frame = group->frameRect().translated(group->pos());
  const QRect inside = frame.adjusted(1, 1, -1, -1);  // within the frame's lines
  const QRect title = group->titleRect().translated(group->pos());
  EXPECT_TRUE(group->geometry().contains(title));
  EXPECT_TRUE(group->geometry().contains(frame));
  EXPECT_GT(title.bottom(), frame.top());  // the line runs through the title
  int framed = 0;
  for (QObject* child : client->children()) {
    auto* widget = dynamic_cast<QWidget*>(child);
    if (widget == nullptr || widget == group || !widget->property("vqControlId").isValid()) continue;
    if (!group->geometry().intersects(widget->geometry())) continue;
    ++framed;
    SCOPED_TRACE(TextOf(widget) + " id " + std::to_string(widget->property("vqControlId").toInt()));
    EXPECT_TRUE(inside.contains(widget->geometry()));
    EXPECT_FALSE(title.intersects(widget->geometry()));
  }
  EXPECT_EQ(framed, 16);  // seven edits with their labels, the progress bar with its label
}

// What the frame's painting shows: the top line where frameRect says, through
// the middle of the title, not below the title as the toolkit's own does.
TEST_F(UiResourcesTest, ResultsFramesTopLineIsPaintedThroughTheTitle) {
  CQuillmarDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_QUILLMAR_DIALOG));
  framework::GroupBoxWidget* group = ResultsFrame(dialog);
  ASSERT_NE(group, nullptr);
  QImage image(group->size(), QImage::Format_ARGB32);
  const QColor background = group->palette().color(QPalette::Window);
  image.fill(background);
  group->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  const int column = group->width() / 2;  // right of the title
  ASSERT_GT(column, group->titleRect().right());
  int firstLine = -1;
  for (int y = 0; y < image.height() && firstLine < 0; ++y) {
    if (image.pixelColor(column, y) != background) firstLine = y;
  }
  EXPECT_NEAR(firstLine, group->frameRect().top(), 1);
  EXPECT_LT(firstLine, group->titleRect().bottom());
}

// The icon as a screen scaled by 1.5, 2 or 3 needs it: drawn at that size,
// not a smaller image enlarged.
TEST_F(UiResourcesTest, ProgramIconIsDrawnAtTheSizeAScaledScreenNeeds) {
  const QIcon icon = framework::ToQIcon(framework::LoadIconResource(IDR_MAINFRAME));
  for (const int size : {16, 32}) {
    for (const qreal scale : {1.0, 1.5, 2.0, 3.0}) {
      SCOPED_TRACE(std::to_string(size) + " at " + std::to_string(scale));
      const int device = qRound(size * scale);
      const QImage shown = icon.pixmap(QSize(size, size), scale).toImage().convertToFormat(QImage::Format_ARGB32);
      EXPECT_EQ(shown, ImageOf(DrawProgramIconAt(device)));
    }
  }
  // An unscaled screen is offered the icon's own sizes only: no other size is
  // drawn before a screen asks for it.
  EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(32, 32), QSize(16, 16)}));
}

}  // namespace
