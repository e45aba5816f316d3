#include "platform/window/window_text.h"

#include <map>
#include <vector>

#include "platform/framework/text_encoding.h"

namespace framework {
namespace {

// What the program set as a window's text, and the text shown for it.
struct KeptText {
  std::string bytes;
  std::wstring shown;
};

// Windows live on the one GUI thread; what is kept for one goes with it.
std::map<HWND, KeptText>& keptTexts() {
  static auto* table = new std::map<HWND, KeptText>;
  return *table;
}

std::map<HWND, std::vector<std::string>>& listLines() {
  static auto* table = new std::map<HWND, std::vector<std::string>>;
  return *table;
}

int g_settingText = 0;

bool IsEdit(HWND hWnd) {
  wchar_t name[16] = {};
  ::GetClassNameW(hWnd, name, static_cast<int>(std::size(name)));
  return ::lstrcmpiW(name, L"Edit") == 0;
}

std::wstring ShownText(HWND hWnd) {
  const int length = ::GetWindowTextLengthW(hWnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(hWnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

}  // namespace

std::wstring WideFromUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::wstring DisplayWide(const CString& text) { return WideFromUtf8(DisplayTextToUtf8(text.view())); }

std::wstring SafeDisplayWide(const CString& text, WhiteSpaceControls whiteSpace) {
  return WideFromUtf8(SafeDisplayText(text.view(), whiteSpace));
}

void SetWindowBytes(HWND hWnd, const CString& text) {
  if (hWnd == nullptr || WindowBytes(hWnd) == text) return;
  const std::wstring shown = IsEdit(hWnd) ? SafeDisplayWide(text) : DisplayWide(text);
  ++g_settingText;
  ::SetWindowTextW(hWnd, shown.c_str());
  --g_settingText;
  keptTexts()[hWnd] = {text.str(), shown};
  ::UpdateWindow(hWnd);  // each text reaches the screen when it is set
}

CString WindowBytes(HWND hWnd) {
  if (hWnd == nullptr) return CString();
  const std::wstring shown = ShownText(hWnd);
  auto it = keptTexts().find(hWnd);
  if (it != keptTexts().end() && it->second.shown == shown) return CString(it->second.bytes);
  return CString(Utf8FromWide(shown));
}

bool SettingWindowText() { return g_settingText > 0; }

LPARAM KeepLineBytes(HWND hList, const CString& line) {
  std::vector<std::string>& lines = listLines()[hList];
  lines.push_back(line.str());
  return static_cast<LPARAM>(lines.size());  // never 0, which no line carries
}

const std::string* LineBytes(HWND hList, LPARAM key) {
  auto it = listLines().find(hList);
  if (it == listLines().end() || key < 1 || static_cast<std::size_t>(key) > it->second.size()) return nullptr;
  return &it->second[static_cast<std::size_t>(key) - 1];
}

void ForgetLineBytes(HWND hList) { listLines().erase(hList); }

void ForgetWindowText(HWND hWnd) {
  keptTexts().erase(hWnd);
  listLines().erase(hWnd);
}

}  // namespace framework
