#pragma once
#include "platform/kernel/windef.h"

// Global memory blocks of the original platform. A fixed block's handle is
// its address. A movable block has a handle distinct from its address; the
// address is obtained with GlobalLock, which counts locks. Blocks never
// actually move here, so a pointer stays valid until GlobalFree. Where the
// memory comes from: global_memory_source.h.
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

#define ERROR_NOT_LOCKED 158L

// Null with ERROR_NOT_ENOUGH_MEMORY when the block cannot be allocated.
// Flags other than the three above are accepted and ignored.
HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
// The block's address (and one more lock for a movable block); null with
// ERROR_INVALID_HANDLE for an unknown handle.
LPVOID GlobalLock(HGLOBAL hMem);
// TRUE while the block stays locked. FALSE with last error 0 when the last
// lock is released, or with ERROR_NOT_LOCKED when it was not locked (fixed
// blocks are never locked and also answer FALSE with 0).
BOOL GlobalUnlock(HGLOBAL hMem);
// Null on success; the handle itself with ERROR_INVALID_HANDLE on failure.
HGLOBAL GlobalFree(HGLOBAL hMem);
// The handle of the block that starts at the given address, or null with
// ERROR_INVALID_HANDLE.
HGLOBAL GlobalHandle(LPCVOID pMem);
