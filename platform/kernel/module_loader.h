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

// Registers a built-in module; called from static initialisers of the
// libraries that provide modules.
void RegisterBuiltinModule(const char* name, std::vector<ModuleExport> exports);

}  // namespace kernel
