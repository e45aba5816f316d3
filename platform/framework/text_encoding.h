#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace framework {

// How the program's 8-bit texts (from files and servers) are shown: a byte
// sequence that forms a valid UTF-8 character is that character; any other
// byte is read as Windows-1252 (as Latin-1 where that has no character).
// The texts themselves stay bytes; only what is shown is decoded.
std::string DisplayTextToUtf8(std::string_view bytes);

// The first character of UTF-8 text that DisplayTextToUtf8 made: its code
// point and its length in bytes. A sequence cut short counts as one byte.
struct Utf8Character {
  char32_t code = 0;
  std::size_t length = 1;
};
Utf8Character FirstUtf8Character(std::string_view utf8);

// Calls visit(code, bytes) for each character of such text, in order.
template <typename Visit>
void ForEachUtf8Character(std::string_view utf8, Visit visit) {
  for (std::size_t i = 0; i < utf8.size();) {
    const Utf8Character character = FirstUtf8Character(utf8.substr(i));
    visit(character.code, utf8.substr(i, character.length));
    i += character.length;
  }
}

}  // namespace framework
