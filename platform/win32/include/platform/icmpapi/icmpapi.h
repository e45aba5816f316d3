#pragma once
// The system's ICMP echo library (IcmpCreateFile, IcmpSendEcho,
// IcmpCloseHandle), exported by iphlpapi.dll and by ICMP.DLL.
#include "platform/kernel/windef.h"
// After windows.h, in this order.
#include <iphlpapi.h>
#include <icmpapi.h>

// The status of a reply buffer too small, by the name the program uses.
constexpr IP_STATUS IP_BUFF_TOO_SMALL = IP_BUF_TOO_SMALL;
