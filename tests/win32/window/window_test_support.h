#pragma once
// Helpers of the Windows window tests: a working folder with an address
// book of the test's own, the program's resources, message-box records and
// a look at real windows.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/framework/message_box.h"
#include "platform/window/window_defs.h"

namespace wintest {

// Registers the program's resources once (dialog templates, menu, strings, icon).
void UseProgramResources();

// A fresh folder as the working directory for the life of the object; with
// `addressBook`, it holds "address.ini" with those bytes. %APPDATA% names an
// empty folder meanwhile, so no address book of the user's is found.
class ScopedWorkingFolder {
 public:
  explicit ScopedWorkingFolder(const std::string* addressBook = nullptr);
  ~ScopedWorkingFolder();
  ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
  ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;

 private:
  std::filesystem::path m_previous;
  std::filesystem::path m_folder;
  std::wstring m_previousAppData;
  bool m_hadAppData = false;
};

// An address book record in the book's fixed layout.
std::string AddressBookRecord(int slot, const std::string& address, const std::string& description);

// Every message box while alive, answered with `answer` at once.
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(int answer = IDOK);
  const std::vector<framework::MessageBoxRequest>& boxes() const { return m_boxes; }

 private:
  std::vector<framework::MessageBoxRequest> m_boxes;
  framework::ScopedMessageBoxHandler m_handler;
};

std::wstring WindowTextOf(HWND window);
std::wstring ClassNameOf(HWND window);
// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
// A rectangle in dialog units as the dialog's pixels.
RECT DialogUnitsRect(HWND dialog, int x, int y, int cx, int cy);
// The dialog's children in their order (the template's).
std::vector<HWND> ChildrenOf(HWND dialog);
// Runs every message waiting for this thread.
void PumpMessages();

}  // namespace wintest
