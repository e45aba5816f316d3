#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// Text of servers and files on a terminal, and in JSON that may reach one.
// The input is UTF-8 as framework::SafeDisplayText or DisplayTextToUtf8
// makes it (platform/framework/safe_text.h, text_encoding.h).

// The columns the text takes on a terminal: two for wide (East Asian)
// characters, none for combining marks, one for the others.
std::size_t DisplayWidth(std::string_view utf8);

// The text cut to at most `columns` columns: when it is wider, as many of
// its first characters as fit before "…", then "…".
std::string CutToWidth(std::string_view utf8, std::size_t columns);

// A table's line: each cell padded to its column's width, two blanks
// apart; the last cell is not padded.
std::string AlignedLine(std::span<const std::string> cells, std::span<const std::size_t> widths);

// The text as the inside of a JSON string: quotes and backslashes escaped,
// the characters that are not shown as they are (framework::IsHiddenOrControl)
// as \uXXXX escapes, so that the JSON still says which they were.
std::string JsonEscaped(std::string_view utf8);
