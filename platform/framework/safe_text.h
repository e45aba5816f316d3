#pragma once
// Text that came from outside the program (a server's reply, the address
// book) as the console and the window show it. Such text could carry
// characters that move, hide or reorder what is shown: a right-to-left
// override turns "evil" into "live", a zero-width space makes two names
// look alike, a terminal escape rewrites the screen. Both show it by this
// one rule; the bytes themselves are never changed.
#include <string>
#include <string_view>

namespace framework {

// What shows in place of such a character: U+FFFD, the replacement
// character. Every font and every UTF-8 terminal draws it as a visible
// mark, and unlike '?' it is not taken for a character the text holds.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The characters shown as kReplacementCharacter: the controls (C0, DEL and
// C1, which also takes the Windows-1252 bytes that have no character), the
// line and paragraph separators, the bidirectional controls, and the
// characters that draw nothing (zero-width spaces and joiners, the word
// joiner, the byte order mark, the soft hyphen, fillers, tags and other
// default-ignorable characters). Variation selectors stay: they only pick
// the look of the character before them, and emoji need them.
bool IsHiddenOrControl(char32_t code);

// Where a text is drawn on one line of a list, its tab, line ends and
// paragraph ends can show as blanks instead.
enum class WhiteSpaceControls { kReplaced, kAsSpaces };

// The bytes as shown: decoded as DisplayTextToUtf8 does (text_encoding.h),
// each character of IsHiddenOrControl as kReplacementCharacter. UTF-8 that
// shows as itself again.
std::string SafeDisplayText(std::string_view bytes, WhiteSpaceControls whiteSpace = WhiteSpaceControls::kReplaced);

}  // namespace framework
