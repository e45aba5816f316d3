#pragma once
// LoadLibraryA, GetProcAddress and FreeLibrary are the system's loader.
#include "platform/kernel/windef.h"

namespace kernel {

// Casts any function pointer to the loader's generic entry-point type and
// back, through the compiler's agreed generic function type.
template <typename F>
FARPROC AsFarProc(F* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

template <typename F>
F* FromFarProc(FARPROC proc) {
  return reinterpret_cast<F*>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace kernel
