#pragma once
#include "platform/kernel/windef.h"

// The version record of the original platform's GetVersionExA.
typedef struct _OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;  // the caller sets sizeof(OSVERSIONINFOA)
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

// Reports Windows NT 4.0 (platform 2, version 4.0, build 1381, "Service
// Pack 6"): the platform whose sockets library is "ws2_32.dll", which is the
// full sockets layer this system provides. Fails with ERROR_INVALID_PARAMETER
// for a null record or a size field other than sizeof(OSVERSIONINFOA).
BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
