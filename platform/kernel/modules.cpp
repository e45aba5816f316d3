#include "platform/kernel/modules.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/kernel/last_error.h"

namespace kernel {
namespace {

struct Module {
  std::string name;
  bool absent = false;
  std::vector<ModuleExport> exports;
  int loads = 0;
};

struct Registry {
  std::mutex mutex;
  // Per lower-case name: the built-in module first, overrides stacked on top.
  // Modules are never freed, so a handle stays valid after its override ends.
  std::map<std::string, std::vector<Module*>> stacks;
  // Stand-ins whose override has ended: kept (and reachable) for handles
  // that are still held.
  std::vector<Module*> retired;
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

Module* Current(Registry& r, const std::string& key) {
  auto it = r.stacks.find(key);
  if (it == r.stacks.end() || it->second.empty()) return nullptr;
  return it->second.back();
}

void Push(const char* name, bool absent, std::vector<ModuleExport> exports) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.stacks[Lower(name)].push_back(new Module{name, absent, std::move(exports), 0});
}

}  // namespace

void RegisterBuiltinModule(const char* name, std::vector<ModuleExport> exports) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto& stack = r.stacks[Lower(name)];
  stack.insert(stack.begin(), new Module{name, false, std::move(exports), 0});
}

int ModuleLoadCount(const char* name) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto it = r.stacks.find(Lower(name));
  if (it == r.stacks.end()) return 0;
  int total = 0;
  for (const Module* m : it->second) total += m->loads;
  return total;
}

std::vector<ModuleExport> BuiltinExports(const char* name) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto it = r.stacks.find(Lower(name));
  if (it == r.stacks.end() || it->second.empty()) return {};
  return it->second.front()->exports;
}

std::vector<ModuleExport> WithoutExport(std::vector<ModuleExport> exports, const char* name) {
  std::erase_if(exports, [name](const ModuleExport& e) { return std::strcmp(e.name, name) == 0; });
  return exports;
}

std::vector<ModuleExport> WithExport(std::vector<ModuleExport> exports, const char* name, FARPROC proc) {
  exports = WithoutExport(std::move(exports), name);
  exports.push_back({name, proc});
  return exports;
}

ScopedModuleOverride::ScopedModuleOverride(const char* name, bool absent, std::vector<ModuleExport> exports)
    : m_name(Lower(name)) {
  Push(name, absent, std::move(exports));
}

ScopedModuleOverride::ScopedModuleOverride(const char* name, std::vector<ModuleExport> exports)
    : ScopedModuleOverride(name, false, std::move(exports)) {}

ScopedModuleOverride ScopedModuleOverride::Absent(const char* name) { return ScopedModuleOverride(name, true, {}); }

ScopedModuleOverride::ScopedModuleOverride(ScopedModuleOverride&& other) noexcept
    : m_name(std::move(other.m_name)), m_active(other.m_active) {
  other.m_active = false;
}

ScopedModuleOverride::~ScopedModuleOverride() {
  if (!m_active) return;
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto& stack = r.stacks[m_name];
  if (stack.empty()) return;
  r.retired.push_back(stack.back());  // the module record itself stays for live handles
  stack.pop_back();
}

}  // namespace kernel

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
  using namespace kernel;
  if (lpLibFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  Module* m = Current(r, Lower(lpLibFileName));
  if (m == nullptr || m->absent) {
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
  const auto* m = reinterpret_cast<const kernel::Module*>(hModule);
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
  auto& r = kernel::registry();
  std::lock_guard lock(r.mutex);
  auto* m = reinterpret_cast<kernel::Module*>(hLibModule);
  if (m->loads <= 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  --m->loads;
  return TRUE;
}
