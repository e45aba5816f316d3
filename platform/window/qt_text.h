#pragma once
// Text crosses the toolkit boundary as Latin-1: each byte is one character
// U+0000..U+00FF, so every byte value round-trips unchanged.
#include <QString>

#include "platform/framework/cstring.h"

namespace framework {

inline QString ToQString(const CString& text) { return QString::fromLatin1(text.str().data(), text.GetLength()); }
inline QString ToQString(LPCSTR text) { return QString::fromLatin1(text != nullptr ? text : ""); }

// Characters beyond Latin-1 (only a user can type them) become '?'.
inline CString FromQString(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return CString(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace framework
