#pragma once
#include <vector>

#include "platform/framework/cstring.h"

// Where the address book is read from: "address.ini" in the working
// directory when there is one; otherwise the user's own in the settings
// folder "quillmar": $XDG_CONFIG_HOME/quillmar/address.ini on Linux
// ($HOME/.config/quillmar/address.ini when XDG_CONFIG_HOME is unset or not an
// absolute path), %APPDATA%\quillmar\address.ini on Windows. When neither
// exists, the working directory's name, which then fails to open.
CString AddressBookFilePath();

// The places AddressBookFilePath looks in, in its order, as full paths: the
// working directory's address.ini, then the user's own (left out when not
// even a home folder is known).
std::vector<CString> AddressBookPlaces();

// Reads the address book from AddressBookFilePath(): one read of at most
// 2048 bytes, cut before the first NUL. The file is opened for reading only,
// never created, and exclusively, so a file that another program holds open
// counts as not openable. FALSE when the file cannot be opened; an error
// while reading throws the framework's CFileException*.
BOOL ReadAddressBookFile(CString& text);
