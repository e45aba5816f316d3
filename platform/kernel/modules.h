#pragma once
#include <vector>

#include "platform/kernel/windef.h"

// The module loader resolves names in a registry of built-in modules (the
// sockets library, the ICMP library). Names compare case-insensitively, as on
// the original platform; loads are reference counted. Stand-ins for tests
// come in through module_source.h.
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

}  // namespace kernel
