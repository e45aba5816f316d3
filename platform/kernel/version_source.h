#pragma once
// Where GetVersionExA takes its answer from: the place where tests inject a
// stand-in system version (tests/support/platform_seams), to see what the
// sockets binding table chooses on another system.
#include "platform/kernel/version.h"

namespace kernel {

// Fills the record as GetVersionExA does (its size is already checked), or
// answers FALSE with the last error set, as a failing query.
using VersionSource = BOOL (*)(LPOSVERSIONINFOA lpVersionInformation);

// Makes GetVersionExA ask `source`; null gives this system's answer again.
// Returns the source it replaces.
VersionSource SetVersionSource(VersionSource source);

}  // namespace kernel
