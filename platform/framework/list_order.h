#pragma once
#include "platform/framework/cstring.h"

namespace framework {
// The sorted list box's order of lines, without windows (the command line
// lists the address book in it too): byte by byte, ASCII and Latin-1 letters
// without regard to case. Negative, 0 or positive.
int CompareListBoxText(const CString& a, const CString& b);
}  // namespace framework
