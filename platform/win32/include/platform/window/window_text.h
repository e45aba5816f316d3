#pragma once
// Window text of the system's windows for the program's 8-bit texts, in the
// system's wide characters: bytes that form valid UTF-8 show as UTF-8, every
// other byte as Windows-1252. The bytes set are kept beside the text shown
// for them, so that text nobody changed comes back byte for byte; text the
// user typed comes back as UTF-8.
#include <string>

#include "platform/framework/cstring.h"
#include "platform/framework/safe_text.h"
#include "platform/window/window_defs.h"

namespace framework {

std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);

// The program's own texts: captions, labels, menus, message boxes.
std::wstring DisplayWide(const CString& text);
// Texts that may come from outside (edits, list lines): controls,
// bidirectional and invisible characters show as U+FFFD.
std::wstring SafeDisplayWide(const CString& text, WhiteSpaceControls whiteSpace = WhiteSpaceControls::kReplaced);

// Sets the window's text when it differs; an edit shows the bytes safely,
// other windows as the program's own text. The window repaints at once.
void SetWindowBytes(HWND hWnd, const CString& text);
CString WindowBytes(HWND hWnd);

// True while SetWindowBytes changes a text: the edit's EN_CHANGE that this
// causes is no user's edit, and the dialog does not pass it on.
bool SettingWindowText();

// The list box line store: the bytes of a line, by the key the line carries
// as its item data.
LPARAM KeepLineBytes(HWND hList, const CString& line);
const std::string* LineBytes(HWND hList, LPARAM key);
void ForgetLineBytes(HWND hList);

// Drops what is kept for a window (its text bytes, its list lines); called
// when the window is destroyed.
void ForgetWindowText(HWND hWnd);

}  // namespace framework
