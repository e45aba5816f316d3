#pragma once
// The program keeps its text in UTF-8; the system's wide calls take UTF-16.
// The ANSI calls would read the same bytes in the user's code page, which
// holds few of the names a user may have.
#include <string>
#include <string_view>

namespace kernel {
// Bytes that are not UTF-8 become U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
// A lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
}  // namespace kernel
