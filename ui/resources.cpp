#include "ui/resources.h"

#include "platform/framework/cstring.h"
#include "platform/window/dialog_template.h"
#include "platform/framework/message_box.h"
#include "ui/resource.h"

namespace {

using framework::ControlKind;

constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT;

// A result field's label, as the field table names it.
constexpr LPCSTR LabelOf(QueryField field) { return ResultFieldOf(field).label; }

// The templates are the resource script's: positions and sizes in dialog
// units, a table of numbers that each name would only repeat.
// NOLINTBEGIN(readability-magic-numbers)
framework::DialogTemplate MainDialog() {
  return {IDD_QUILLMAR_DIALOG,
          "Veloxa Quillmar",
          274,
          149,
          DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU,
          WS_EX_APPWINDOW,
          "MS Sans Serif",
          8,
          IDR_MENU,
          {
              {IDC_ADDRESS, ControlKind::Edit, nullptr, 7, 17, 66, 14, kEdit},
              {IDC_PING_SERVER, ControlKind::PushButton, "Ping Server", 7, 128, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
              {IDC_HOST, ControlKind::Edit, nullptr, 168, 13, 91, 14, kEdit},
              {IDC_STATIC, ControlKind::Label, LabelOf(QueryField::Host), 143, 17, 20, 8, kLabel},
              {IDC_TRACK, ControlKind::Edit, nullptr, 168, 29, 91, 14, kEdit},
              {IDC_STATIC, ControlKind::Label, LabelOf(QueryField::Track), 140, 33, 24, 8, kLabel},
              {IDC_PLAYERS, ControlKind::Edit, nullptr, 168, 45, 91, 14, kEdit},
              {IDC_STATIC, ControlKind::Label, LabelOf(QueryField::Players), 132, 49, 32, 8, kLabel},
              {IDC_TYPE, ControlKind::Edit, nullptr, 168, 61, 91, 14, kEdit},
              {IDC_STATIC, ControlKind::Label, LabelOf(QueryField::Type), 145, 64, 19, 8, kLabel},
              {IDC_SESSION, ControlKind::Edit, nullptr, 168, 77, 21, 14, kEdit},
              {IDC_STATIC, ControlKind::Label, LabelOf(QueryField::Session), 134, 80, 31, 8, kLabel},
              {IDC_STATIC, ControlKind::GroupBox, "Results", 117, 7, 147, 135, BS_GROUPBOX},
              {IDC_ADDRESS_LIST, ControlKind::ListBox, nullptr, 7, 47, 108, 67,
               LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP},
              {IDC_STATIC, ControlKind::Label, "Dbl-Click to Select an Address:", 8, 34, 93, 8, kLabel},
              {IDC_STATIC, ControlKind::Label, "Enter IP or.......", 8, 9, 42, 8, kLabel},
              {IDC_TIME_LEFT, ControlKind::Edit, nullptr, 168, 93, 40, 14, kEdit},
              {IDC_STATIC, ControlKind::Label, LabelOf(QueryField::TimeLeft), 127, 96, 37, 8, kLabel},
              {IDC_PING, ControlKind::Edit, nullptr, 168, 109, 40, 14, kEdit},
              {IDC_STATIC, ControlKind::Label, LabelOf(QueryField::Ping), 147, 112, 17, 8, kLabel},
              {IDC_PROGRESS, ControlKind::ProgressBar, nullptr, 169, 128, 90, 8, WS_BORDER},
              {IDC_STATIC, ControlKind::Label, "Progress", 129, 128, 29, 8, kLabel},
          }};
}

framework::DialogTemplate AboutDialog() {
  return {IDD_ABOUTBOX,
          "About Veloxa Quillmar",
          217,
          67,
          DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
          0,
          "MS Sans Serif",
          8,
          0,
          {
              {IDC_STATIC, ControlKind::Icon, nullptr, 13, 17, 20, 20, SS_ICON, IDR_MAINFRAME},
              {IDC_STATIC, ControlKind::Label, "Veloxa Quillmar", 40, 10, 119, 8, kLabel},
              {IDOK, ControlKind::PushButton, "OK", 178, 7, 32, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP},
              // The version that quillmar --version prints, under the name.
              {IDC_STATIC, ControlKind::Label, "Version " VQ_VERSION, 40, 22, 119, 8, kLabel},
          }};
}
// NOLINTEND(readability-magic-numbers)

framework::MenuTemplate MainMenu() { return {IDR_MENU, {{"&About", 0, {{"&About", ID_ABOUT_ABOUT}}}}}; }

}  // namespace

void RegisterQuillmarResources() {
  framework::RegisterDialogTemplate(MainDialog());
  framework::RegisterDialogTemplate(AboutDialog());
  framework::RegisterMenuTemplate(MainMenu());
  framework::RegisterStringResource(IDS_ABOUTBOX, "&About VeloxaQuillmar");
  framework::RegisterStringResource(IDP_SOCKETS_INIT_FAILED, "Windows sockets initialization failed.");
  framework::RegisterIconResource(IDR_MAINFRAME, DrawProgramIcon(), &DrawProgramIconAt);
}
