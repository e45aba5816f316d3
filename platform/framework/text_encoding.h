#pragma once
#include <string>
#include <string_view>

namespace framework {

// How the program's 8-bit texts (from files and servers) are shown: a byte
// sequence that forms a valid UTF-8 character is that character; any other
// byte is read as Windows-1252 (as Latin-1 where that has no character).
// The texts themselves stay bytes; only what is shown is decoded.
std::string DisplayTextToUtf8(std::string_view bytes);

}  // namespace framework
