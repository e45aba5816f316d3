#include "platform/kernel/modules.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/kernel/last_error.h"
#include "platform/kernel/module_source.h"

namespace kernel {
namespace {

struct Registry {
  std::mutex mutex;
  // By lower-case name. Modules are never freed: a handle stays valid for
  // the life of the process.
  std::map<std::string, LoadableModule*> builtins;
  ModuleStandIns standIns = nullptr;
};

Registry& registry() {
  static Registry* modules = new Registry;
  return *modules;
}

std::string Lower(const char* text) {
  std::string s(text);
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

LoadableModule* Find(Registry& modules, const std::string& key) {
  if (modules.standIns != nullptr) {
    if (LoadableModule* standIn = modules.standIns(key)) return standIn;
  }
  const auto it = modules.builtins.find(key);
  return it == modules.builtins.end() ? nullptr : it->second;
}

}  // namespace

// The first registration of a name stands.
void RegisterBuiltinModule(const char* name, std::vector<ModuleExport> exports) {
  Registry& modules = registry();
  std::lock_guard lock(modules.mutex);
  const std::string key = Lower(name);
  if (modules.builtins.contains(key)) return;
  auto* module = new LoadableModule;
  module->name = name;
  module->exports = std::move(exports);
  modules.builtins.emplace(key, module);
}

ModuleStandIns SetModuleStandIns(ModuleStandIns source) {
  Registry& modules = registry();
  std::lock_guard lock(modules.mutex);
  const ModuleStandIns previous = modules.standIns;
  modules.standIns = source;
  return previous;
}

}  // namespace kernel

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
  if (lpLibFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  kernel::Registry& modules = kernel::registry();
  std::lock_guard lock(modules.mutex);
  kernel::LoadableModule* module = kernel::Find(modules, kernel::Lower(lpLibFileName));
  if (module == nullptr || !module->present) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++module->loads;
  return reinterpret_cast<HMODULE>(module);
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  if (hModule == nullptr || lpProcName == nullptr) {
    SetLastError(hModule == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto* module = reinterpret_cast<const kernel::LoadableModule*>(hModule);
  for (const kernel::ModuleExport& e : module->exports) {
    if (std::strcmp(e.name, lpProcName) == 0) return e.proc;  // export names are case-sensitive
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

BOOL FreeLibrary(HMODULE hLibModule) {
  if (hLibModule == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  kernel::Registry& modules = kernel::registry();
  std::lock_guard lock(modules.mutex);
  auto* module = reinterpret_cast<kernel::LoadableModule*>(hLibModule);
  if (module->loads <= 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  --module->loads;
  return TRUE;
}
