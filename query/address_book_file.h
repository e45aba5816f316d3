#pragma once
#include "platform/framework/cstring.h"

// Reads the address book "address.ini" from the working directory: one read
// of at most 2048 bytes, cut before the first NUL. The file is opened for
// reading only, never created, and exclusively, so a file that another
// program holds open counts as not openable. FALSE when the file cannot be
// opened; an error while reading throws the framework's CFileException*.
BOOL ReadAddressBookFile(CString& text);
