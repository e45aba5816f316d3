#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Text of servers and files on a terminal, and in JSON that may reach one.
// The input is UTF-8 (as DisplayTextToUtf8 makes it).

// Characters that must not reach a terminal as they are: C0 and C1
// controls, DEL, line and paragraph separators, and the invisible format
// characters that hide or reorder text (bidirectional overrides, zero-width
// characters, the byte order mark).
bool IsUnsafeOnTerminal(char32_t code);

// The text with each unsafe character as '?': one line, shown as it is.
std::string OnOneLine(std::string_view utf8);

// The columns the text takes on a terminal: two for wide (East Asian)
// characters, none for combining marks, one for the others.
std::size_t DisplayWidth(std::string_view utf8);

// The text as the inside of a JSON string: quotes and backslashes escaped,
// unsafe characters as \uXXXX escapes.
std::string JsonEscaped(std::string_view utf8);
