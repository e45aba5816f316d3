#pragma once
#include "platform/framework/cstring.h"

// The address that a double-click on a list line puts into the address
// field. A line written with the " =" convention (the description starts
// with blanks and an "=") gives back its whole address, as the address book
// cuts it out of the line. Any other line gives its text before the first
// blank: the address, never an empty or shortened one.
CString ChosenAddress(const CString& line);
