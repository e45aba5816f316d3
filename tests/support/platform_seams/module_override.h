#pragma once
// Stand-in modules for LoadLibraryA, through the kernel's injection point
// (platform/kernel/module_source.h), and the loads of a module.
#include <string>
#include <vector>

#include "platform/kernel/modules.h"

namespace vqtest {

// While alive, the named module is replaced by a stand-in with the given
// exports, or is absent altogether (Absent()). Nests; the innermost one
// wins. A handle loaded from a stand-in stays valid after it ends.
class ScopedModuleOverride {
 public:
  ScopedModuleOverride(const char* name, std::vector<kernel::ModuleExport> exports);
  static ScopedModuleOverride Absent(const char* name);
  ~ScopedModuleOverride();
  ScopedModuleOverride(const ScopedModuleOverride&) = delete;
  ScopedModuleOverride& operator=(const ScopedModuleOverride&) = delete;

 private:
  ScopedModuleOverride(const char* name, bool present, std::vector<kernel::ModuleExport> exports);
  std::string m_key;
};

// The exports of the built-in module of that name (none when there is none).
std::vector<kernel::ModuleExport> BuiltinExports(const char* name);
// Export lists for stand-ins: without one name, or with it (replaced).
std::vector<kernel::ModuleExport> WithoutExport(std::vector<kernel::ModuleExport> exports, const char* name);
std::vector<kernel::ModuleExport> WithExport(std::vector<kernel::ModuleExport> exports, const char* name, FARPROC proc);

// Outstanding loads of a module: of the built-in one and of every stand-in
// for it (0 when it is not loaded).
int ModuleLoadCount(const char* name);

}  // namespace vqtest
