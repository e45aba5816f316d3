#pragma once
// Where LoadLibraryA finds a module besides the built-in ones: the place
// where tests inject stand-in modules (tests/support/platform_seams), such as
// a sockets library without one export, or no ICMP library at all.
#include <atomic>
#include <string>
#include <vector>

#include "platform/kernel/modules.h"

namespace kernel {

// A module as the loader knows it; a module handle is its address.
// LoadLibraryA adds a load, FreeLibrary takes one away.
struct LoadableModule {
  std::string name;
  std::vector<ModuleExport> exports;
  bool present = true;  // false: loading fails as for a module that is not there
  std::atomic<int> loads{0};
};

// Answers a module name, in lower case, with the module to load instead of
// the built-in one of that name, or null to keep the built-in one. A module
// given out must outlive every handle loaded from it.
using ModuleStandIns = LoadableModule* (*)(const std::string& lowerCaseName);

// Makes LoadLibraryA ask `source` first; null leaves the built-in modules
// alone. Returns the source it replaces.
ModuleStandIns SetModuleStandIns(ModuleStandIns source);

}  // namespace kernel
