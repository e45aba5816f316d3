#pragma once
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/kernel/windef.h"

// The module loader resolves names in a registry of built-in modules (the
// sockets library, the ICMP library). Names compare case-insensitively, as on
// the original platform; loads are reference counted.
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL FreeLibrary(HMODULE hLibModule);

namespace kernel {

struct ModuleExport {
  const char* name;
  FARPROC proc;
};

// Casts any function pointer to the loader's generic entry-point type and
// back. The detour through void (*)() is the compiler's agreed generic
// function type, so these casts are deliberate and do not warn.
template <typename F>
FARPROC AsFarProc(F* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

template <typename F>
F* FromFarProc(FARPROC proc) {
  return reinterpret_cast<F*>(reinterpret_cast<void (*)()>(proc));
}

// Registers a built-in module; called from static initialisers of the
// libraries that provide modules.
void RegisterBuiltinModule(const char* name, std::vector<ModuleExport> exports);

// Number of outstanding loads of a module (0 when not loaded).
int ModuleLoadCount(const char* name);

// For tests: while alive, the named module is replaced by a stand-in with the
// given exports, or is absent altogether (Absent()). Nests; restores on exit.
class ScopedModuleOverride {
 public:
  ScopedModuleOverride(const char* name, std::vector<ModuleExport> exports);
  static ScopedModuleOverride Absent(const char* name);
  ~ScopedModuleOverride();
  ScopedModuleOverride(const ScopedModuleOverride&) = delete;
  ScopedModuleOverride& operator=(const ScopedModuleOverride&) = delete;
  ScopedModuleOverride(ScopedModuleOverride&& other) noexcept;

 private:
  ScopedModuleOverride(const char* name, bool absent, std::vector<ModuleExport> exports);
  std::string m_name;
  bool m_active = true;
};

// Helper for stand-ins: the real module's exports, minus or replaced by some.
std::vector<ModuleExport> BuiltinExports(const char* name);
std::vector<ModuleExport> WithoutExport(std::vector<ModuleExport> exports, const char* name);
std::vector<ModuleExport> WithExport(std::vector<ModuleExport> exports, const char* name, FARPROC proc);

}  // namespace kernel
