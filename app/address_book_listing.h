#pragma once
#include <vector>

#include "platform/framework/cstring.h"

// The address list of "address.ini", read as the main dialog reads it.
// A file that cannot be opened or read is reported on standard error.

// quillmar --list: prints the list's lines in the list's order, one per
// line, control characters made harmless. Returns 0 when the file was read,
// 1 otherwise.
int PrintAddressBookList();

// The address of each list line, as a double-click in the dialog takes it,
// in the list's order. FALSE, after the report, when the file could not be
// read or lists no address.
bool ReadAddressListAddresses(std::vector<CString>& addresses);
