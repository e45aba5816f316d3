#include "tests/support/platform_seams/module_override.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/kernel/module_source.h"

namespace vqtest {
namespace {

struct StandIns {
  std::mutex mutex;
  // By lower-case name: the stand-ins in force, innermost last.
  std::map<std::string, std::vector<kernel::LoadableModule*>> active;
  // Every stand-in ever made, by name: never freed, since handles loaded
  // from them may be held after their override ended.
  std::map<std::string, std::vector<kernel::LoadableModule*>> made;
};

StandIns& standIns() {
  static StandIns* s = new StandIns;
  return *s;
}

// Set while this thread looks at a built-in module itself.
thread_local bool t_builtinOnly = false;

std::string Lower(const char* text) {
  std::string s(text);
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

kernel::LoadableModule* Innermost(const std::string& lowerCaseName) {
  if (t_builtinOnly) return nullptr;
  StandIns& s = standIns();
  std::lock_guard lock(s.mutex);
  const auto it = s.active.find(lowerCaseName);
  return it == s.active.end() || it->second.empty() ? nullptr : it->second.back();
}

// A module handle is the address of the loader's record of the module.
const kernel::LoadableModule* Builtin(const char* name) {
  t_builtinOnly = true;
  HMODULE handle = LoadLibraryA(name);
  t_builtinOnly = false;
  if (handle == nullptr) return nullptr;
  FreeLibrary(handle);
  return reinterpret_cast<const kernel::LoadableModule*>(handle);
}

}  // namespace

ScopedModuleOverride::ScopedModuleOverride(const char* name, bool present, std::vector<kernel::ModuleExport> exports)
    : m_key(Lower(name)) {
  auto* module = new kernel::LoadableModule;
  module->name = name;
  module->exports = std::move(exports);
  module->present = present;
  StandIns& s = standIns();
  {
    std::lock_guard lock(s.mutex);
    s.made[m_key].push_back(module);
    s.active[m_key].push_back(module);
  }
  kernel::SetModuleStandIns(&Innermost);
}

ScopedModuleOverride::ScopedModuleOverride(const char* name, std::vector<kernel::ModuleExport> exports)
    : ScopedModuleOverride(name, true, std::move(exports)) {}

ScopedModuleOverride ScopedModuleOverride::Absent(const char* name) { return ScopedModuleOverride(name, false, {}); }

ScopedModuleOverride::~ScopedModuleOverride() {
  StandIns& s = standIns();
  std::lock_guard lock(s.mutex);
  s.active[m_key].pop_back();
}

std::vector<kernel::ModuleExport> BuiltinExports(const char* name) {
  const kernel::LoadableModule* module = Builtin(name);
  return module != nullptr ? module->exports : std::vector<kernel::ModuleExport>{};
}

std::vector<kernel::ModuleExport> WithoutExport(std::vector<kernel::ModuleExport> exports, const char* name) {
  std::erase_if(exports, [name](const kernel::ModuleExport& e) { return std::strcmp(e.name, name) == 0; });
  return exports;
}

std::vector<kernel::ModuleExport> WithExport(std::vector<kernel::ModuleExport> exports, const char* name,
                                             FARPROC proc) {
  exports = WithoutExport(std::move(exports), name);
  exports.push_back({name, proc});
  return exports;
}

int ModuleLoadCount(const char* name) {
  const kernel::LoadableModule* builtin = Builtin(name);
  int loads = builtin != nullptr ? builtin->loads.load() : 0;
  StandIns& s = standIns();
  std::lock_guard lock(s.mutex);
  const auto it = s.made.find(Lower(name));
  if (it != s.made.end()) {
    for (const kernel::LoadableModule* module : it->second) loads += module->loads.load();
  }
  return loads;
}

}  // namespace vqtest
