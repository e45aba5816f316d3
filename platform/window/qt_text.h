#pragma once
// Text crosses the toolkit boundary for display: bytes that form valid UTF-8
// show as UTF-8, every other byte as Windows-1252 (Latin-1 where that has no
// character). Text that the user types comes back as UTF-8 bytes; the window
// services keep the program's own bytes beside each text they show, so that
// text nobody changed comes back byte for byte (window_text.h).
#include <QString>

#include "platform/framework/cstring.h"
#include "platform/framework/safe_text.h"
#include "platform/framework/text_encoding.h"

namespace framework {

inline QString FromUtf8(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The program's own texts: captions, labels, menus, message boxes.
inline QString ToQString(const CString& text) { return FromUtf8(DisplayTextToUtf8(text.str())); }
inline QString ToQString(LPCSTR text) { return ToQString(CString(text)); }

// Texts that may come from outside (edits, list lines): controls,
// bidirectional and invisible characters show as U+FFFD (safe_text.h).
inline QString ToSafeQString(const CString& text, WhiteSpaceControls whiteSpace = WhiteSpaceControls::kReplaced) {
  return FromUtf8(SafeDisplayText(text.str(), whiteSpace));
}

inline CString FromQString(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return CString(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace framework
