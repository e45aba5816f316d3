#pragma once
#include <cstdio>

// quillmar --list: reads "address.ini" from the working directory as the
// main dialog does and prints the list's lines in the list's order, one per
// line. A file that cannot be opened or read is reported on `err`. Returns 0
// when the file was read, 1 otherwise.
int PrintAddressBookList(std::FILE* out, std::FILE* err);
