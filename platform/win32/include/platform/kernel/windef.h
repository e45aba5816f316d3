#pragma once
// On Windows the system's own headers declare the platform's types and
// calls. The sockets header must come before windows.h.
#include <winsock2.h>
#include <windows.h>
