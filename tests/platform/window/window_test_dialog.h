#pragma once
// A small dialog for the window-service tests: one control of each kind, a
// menu bar, and a message map that records what reaches it.
#include <QApplication>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/window/cdialog.h"
#include "platform/window/controls.h"
#include "platform/window/ddx.h"
#include "platform/window/dialog_template.h"
#include "tests/support/control_widget.h"

namespace window_test {

constexpr UINT kDialogId = 9100;
constexpr UINT kMenuId = 9101;
constexpr UINT kMissingDialogId = 9199;
constexpr int kEdit = 200;
constexpr int kButton = 201;
constexpr int kList = 202;
constexpr int kProgress = 203;
constexpr int kOtherEdit = 204;
constexpr UINT kRunCommand = 40001;

inline void RegisterResources() {
  using framework::ControlKind;
  framework::RegisterDialogTemplate(
      {kDialogId,
       "Test Dialog",
       200,
       100,
       DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
       0,
       "MS Sans Serif",
       8,
       kMenuId,
       {
           {kEdit, ControlKind::Edit, nullptr, 5, 5, 60, 14, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
           {kButton, ControlKind::PushButton, "Go", 5, 25, 40, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
           {IDC_STATIC, ControlKind::GroupBox, "Group", 68, 2, 128, 90, BS_GROUPBOX},
           {kList, ControlKind::ListBox, nullptr, 70, 12, 80, 60,
            LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER | WS_TABSTOP},
           {kProgress, ControlKind::ProgressBar, nullptr, 5, 45, 60, 8, WS_BORDER},
           {IDC_STATIC, ControlKind::Label, "Label", 5, 60, 40, 8, SS_LEFT},
           {kOtherEdit, ControlKind::Edit, nullptr, 5, 75, 60, 14, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
       }});
  framework::RegisterMenuTemplate({kMenuId, {{"&File", 0, {{"&Run", kRunCommand}}}}});
}

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(kDialogId) {}
  explicit TestDialog(UINT templateId) : CDialog(templateId) {}

  CListBox m_list;
  CProgressCtrl m_progress;
  CString m_text;
  CString m_other;

  int initCount = 0;
  int goCount = 0;
  int editChanges = 0;
  int selChanges = 0;
  int doubleClicks = 0;
  int paintCount = 0;
  int runCount = 0;
  std::vector<UINT> sysCommands;
  std::function<void()> onInit;   // runs inside OnInitDialog
  std::function<void()> onGo;     // runs inside the BN_CLICKED handler
  std::function<void()> onPaint;  // runs inside the WM_PAINT handler

  QWidget* client() const { return clientWidget(); }

 protected:
  BOOL OnInitDialog() override {
    ++initCount;
    const BOOL result = CDialog::OnInitDialog();
    if (onInit) onInit();
    return result;
  }
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, kList, m_list);
    DDX_Control(pDX, kProgress, m_progress);
    DDX_Text(pDX, kEdit, m_text);
    DDX_Text(pDX, kOtherEdit, m_other);
  }
  void OnGo() {
    ++goCount;
    if (onGo) onGo();
  }
  void OnEditChange() { ++editChanges; }
  void OnSelChange() { ++selChanges; }
  void OnDoubleClick() { ++doubleClicks; }
  void OnRun() { ++runCount; }
  void OnSysCommand(UINT nID, LPARAM lParam) {
    sysCommands.push_back(nID);
    CDialog::OnSysCommand(nID, lParam);
  }
  void OnPaint() {
    ++paintCount;
    if (onPaint) onPaint();
    Default();
  }

 public:
  static const framework::MessageMap& GetThisMessageMap() {
    using namespace framework::msgmap;
    // A message map is a table: one entry a line, as written.
    // clang-format off
    static const framework::MessageMap map(&CDialog::GetThisMessageMap(), {
        BnClicked(kButton, &TestDialog::OnGo),
        EnChange(kEdit, &TestDialog::OnEditChange),
        LbnSelChange(kList, &TestDialog::OnSelChange),
        LbnDblClk(kList, &TestDialog::OnDoubleClick),
        Command(kRunCommand, &TestDialog::OnRun),
        WmSysCommand(&TestDialog::OnSysCommand),
        WmPaint(&TestDialog::OnPaint),
    });
    // clang-format on
    return map;
  }

 protected:
  const framework::MessageMap* GetMessageMap() const override { return &GetThisMessageMap(); }
};

using vqtest::ControlWidget;

inline void ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace window_test
