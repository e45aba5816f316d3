#include "tests/win32/window/window_test_support.h"

#include <fstream>

#include "ui/resources.h"

namespace wintest {

void UseProgramResources() {
  static const bool registered = [] {
    RegisterQuillmarResources();
    return true;
  }();
  (void)registered;
}

ScopedWorkingFolder::ScopedWorkingFolder(const std::string* addressBook) : m_previous(std::filesystem::current_path()) {
  static int serial = 0;
  m_folder = std::filesystem::temp_directory_path() /
             ("vq-window-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++serial));
  std::filesystem::create_directories(m_folder);
  if (addressBook != nullptr) std::ofstream(m_folder / "address.ini", std::ios::binary) << *addressBook;
  std::filesystem::current_path(m_folder);
  wchar_t appData[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
  m_hadAppData = length > 0 && length < MAX_PATH;
  m_previousAppData.assign(appData, m_hadAppData ? length : 0);
  const std::filesystem::path settings = m_folder / "appdata";
  std::filesystem::create_directories(settings);
  ::SetEnvironmentVariableW(L"APPDATA", settings.c_str());
}

ScopedWorkingFolder::~ScopedWorkingFolder() {
  ::SetEnvironmentVariableW(L"APPDATA", m_hadAppData ? m_previousAppData.c_str() : nullptr);
  std::error_code error;
  std::filesystem::current_path(m_previous, error);
  std::filesystem::remove_all(m_folder, error);
}

std::string AddressBookRecord(int slot, const std::string& address, const std::string& description) {
  std::string record = "entry" + std::to_string(slot);
  record.resize(19, ' ');
  record += address;
  record.resize(72, ' ');
  record += description;
  record.resize(92, ' ');
  return record + "\r\n";
}

MessageBoxRecorder::MessageBoxRecorder(int answer)
    : m_handler([this, answer](const framework::MessageBoxRequest& box) {
        m_boxes.push_back(box);
        return answer;
      }) {}

std::wstring WindowTextOf(HWND window) {
  wchar_t text[512] = {};
  const int length = ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
  return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring ClassNameOf(HWND window) {
  wchar_t name[64] = {};
  const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return std::wstring(name, static_cast<std::size_t>(length));
}

RECT RectInParent(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Place and size are converted each on its own, as the system makes a
// control from its template: the right edge is the place plus the size.
RECT DialogUnitsRect(HWND dialog, int x, int y, int cx, int cy) {
  RECT rect{x, y, cx, cy};
  ::MapDialogRect(dialog, &rect);
  return RECT{rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
}

std::vector<HWND> ChildrenOf(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

void PumpMessages() {
  MSG msg{};
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace wintest
