#pragma once
#include <string>

#include "platform/framework/cstring.h"

// What the dialog and the command line say when the address book cannot be
// opened: the message as it has always stood, then, after a blank line, the
// places it was looked for in and the example a list can be started from;
// or, when a file is in one of those places but would not open, that file.
CString AddressBookOpenErrorText();

// Where the package installs its example address book (packaging/): on
// Windows beside the running program.
std::string ExampleAddressBookPath();
