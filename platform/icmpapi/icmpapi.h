#pragma once
// The ICMP echo library: open an echo handle, send one echo request and wait
// for its reply, close the handle. The same three functions are exported by
// the built-in module "ICMP.DLL".
//
// Deliberately free of POSIX socket headers: code above includes this next to
// its own sockets names.
#include "platform/kernel/windef.h"

typedef ULONG IPAddr;  // IPv4 address in network byte order
typedef ULONG IP_STATUS;

// Options of the request to send. Every request goes out with the system's
// defaults: a null pointer, or options that ask for nothing (all zero), are
// taken; anything else is refused (IP_BAD_OPTION).
struct IP_OPTION_INFORMATION {
  UCHAR Ttl;
  UCHAR Tos;
  UCHAR Flags;
  UCHAR OptionsSize;  // bytes of raw IP options at OptionsData
  UCHAR* OptionsData;
};
typedef IP_OPTION_INFORMATION* PIP_OPTION_INFORMATION;

// Options as the reply record carries them, in the original 32-bit layout.
struct IP_OPTION_INFORMATION32 {
  UCHAR Ttl;  // the reply's time to live; the other fields are 0
  UCHAR Tos;
  UCHAR Flags;
  UCHAR OptionsSize;
  ULONG OptionsData;
};

// One reply record as stored at the start of the reply buffer: the original
// 32-bit layout, so Data is an offset from the start of the buffer, not a
// pointer. The echoed bytes follow the record (Data == 28).
struct ICMP_ECHO_REPLY {
  IPAddr Address;       // replying host, or the router that reported an error
  ULONG Status;         // IP_SUCCESS or one of the IP_* codes below
  ULONG RoundTripTime;  // milliseconds
  USHORT DataSize;
  USHORT Reserved;
  ULONG Data;
  IP_OPTION_INFORMATION32 Options;
};
typedef ICMP_ECHO_REPLY* PICMP_ECHO_REPLY;
static_assert(sizeof(IP_OPTION_INFORMATION32) == 8, "reply options must keep the 32-bit layout");
// NOLINTNEXTLINE(readability-magic-numbers): the record's size on the 32-bit platform
static_assert(sizeof(ICMP_ECHO_REPLY) == 28, "reply record must keep the 32-bit layout");

constexpr IP_STATUS IP_STATUS_BASE = 11000;
constexpr IP_STATUS IP_SUCCESS = 0;
constexpr IP_STATUS IP_BUFF_TOO_SMALL = 11001;
constexpr IP_STATUS IP_DEST_NET_UNREACHABLE = 11002;
constexpr IP_STATUS IP_DEST_HOST_UNREACHABLE = 11003;
constexpr IP_STATUS IP_DEST_PROT_UNREACHABLE = 11004;
constexpr IP_STATUS IP_DEST_PORT_UNREACHABLE = 11005;
constexpr IP_STATUS IP_NO_RESOURCES = 11006;
constexpr IP_STATUS IP_BAD_OPTION = 11007;
constexpr IP_STATUS IP_HW_ERROR = 11008;
constexpr IP_STATUS IP_PACKET_TOO_BIG = 11009;
constexpr IP_STATUS IP_REQ_TIMED_OUT = 11010;
constexpr IP_STATUS IP_BAD_REQ = 11011;
constexpr IP_STATUS IP_BAD_ROUTE = 11012;
constexpr IP_STATUS IP_TTL_EXPIRED_TRANSIT = 11013;
constexpr IP_STATUS IP_TTL_EXPIRED_REASSEM = 11014;
constexpr IP_STATUS IP_PARAM_PROBLEM = 11015;
constexpr IP_STATUS IP_SOURCE_QUENCH = 11016;
constexpr IP_STATUS IP_OPTION_TOO_BIG = 11017;
constexpr IP_STATUS IP_BAD_DESTINATION = 11018;
constexpr IP_STATUS IP_ADDR_DELETED = 11019;
constexpr IP_STATUS IP_SPEC_MTU_CHANGE = 11020;
constexpr IP_STATUS IP_MTU_CHANGE = 11021;
constexpr IP_STATUS IP_GENERAL_FAILURE = 11050;
constexpr IP_STATUS IP_PENDING = 11255;

// Opens an echo handle; INVALID_HANDLE_VALUE on failure, with the last error
// set and the reason kept for icmpapi::LastOpenFailure() (icmp_diagnostics.h).
HANDLE IcmpCreateFile();

BOOL IcmpCloseHandle(HANDLE IcmpHandle);

// Sends one echo request carrying exactly RequestSize bytes of RequestData to
// DestinationAddress and waits up to Timeout ms for its reply. Returns the
// number of reply records stored in ReplyBuffer (1), or 0 with the last error
// set (IP_REQ_TIMED_OUT, IP_BUFF_TOO_SMALL, ERROR_INVALID_PARAMETER,
// IP_BAD_OPTION for RequestOptions that ask for more than the defaults, ...).
// An ICMP error about the request (host unreachable, time to live expired)
// is stored as a record with that status and the reporting router's address,
// and counts as one reply. ReplySize must hold the 28-byte record plus the
// request data.
DWORD IcmpSendEcho(HANDLE IcmpHandle, IPAddr DestinationAddress, LPVOID RequestData, WORD RequestSize,
                   PIP_OPTION_INFORMATION RequestOptions, LPVOID ReplyBuffer, DWORD ReplySize, DWORD Timeout);
