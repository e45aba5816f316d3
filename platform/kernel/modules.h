#pragma once
// The module loader (module_loader.h: the system's own on Windows) and casts
// between function pointers and its entry-point type.
#include "platform/kernel/module_loader.h"
#include "platform/kernel/windef.h"

namespace kernel {

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

}  // namespace kernel
