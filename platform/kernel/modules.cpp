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
  static Registry* r = new Registry;
  return *r;
}

std::string Lower(const char* text) {
  std::string s(text);
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

LoadableModule* Find(Registry& r, const std::string& key) {
  if (r.standIns != nullptr) {
    if (LoadableModule* standIn = r.standIns(key)) return standIn;
  }
  const auto it = r.builtins.find(key);
  return it == r.builtins.end() ? nullptr : it->second;
}

}  // namespace

// The first registration of a name stands.
void RegisterBuiltinModule(const char* name, std::vector<ModuleExport> exports) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  const std::string key = Lower(name);
  if (r.builtins.contains(key)) return;
  auto* module = new LoadableModule;
  module->name = name;
  module->exports = std::move(exports);
  r.builtins.emplace(key, module);
}

ModuleStandIns SetModuleStandIns(ModuleStandIns source) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  const ModuleStandIns previous = r.standIns;
  r.standIns = source;
  return previous;
}

}  // namespace kernel

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
  if (lpLibFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  kernel::Registry& r = kernel::registry();
  std::lock_guard lock(r.mutex);
  kernel::LoadableModule* m = kernel::Find(r, kernel::Lower(lpLibFileName));
  if (m == nullptr || !m->present) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++m->loads;
  return reinterpret_cast<HMODULE>(m);
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  if (hModule == nullptr || lpProcName == nullptr) {
    SetLastError(hModule == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto* m = reinterpret_cast<const kernel::LoadableModule*>(hModule);
  for (const kernel::ModuleExport& e : m->exports) {
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
  kernel::Registry& r = kernel::registry();
  std::lock_guard lock(r.mutex);
  auto* m = reinterpret_cast<kernel::LoadableModule*>(hLibModule);
  if (m->loads <= 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  --m->loads;
  return TRUE;
}
