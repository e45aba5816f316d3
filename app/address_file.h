#pragma once
#include <vector>

#include "app/command_line.h"
#include "platform/framework/cstring.h"

// The servers of --query and --query-file. A file (or standard input, "-")
// lists one address per line; blanks (space, tab, carriage return) around
// it are ignored, and so are blank lines and lines that start with '#'.

// The addresses of `sources`, in the order given. False, after saying why
// on standard error ("quillmar: servers.txt:12: ..."), when a file cannot be
// read, holds a NUL byte or a line longer than 1,024 bytes, lists no
// address, or would make more than 1,000,000 of them.
bool CollectAddresses(const std::vector<AddressSource>& sources, std::vector<CString>& addresses);
