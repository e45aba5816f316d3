#pragma once
#include "platform/kernel/windef.h"

// System error numbers behind the file exceptions' causes, by their value:
// Linux's stand-in for the system headers names only some of them.
namespace file_errors {

constexpr LONG kInvalidAccess = 12;
constexpr LONG kInvalidDrive = 15;
constexpr LONG kCurrentDirectory = 16;
constexpr LONG kWriteProtect = 19;
constexpr LONG kNotReady = 21;
constexpr LONG kCrc = 23;
constexpr LONG kSeek = 25;
constexpr LONG kSectorNotFound = 27;
constexpr LONG kWriteFault = 29;
constexpr LONG kReadFault = 30;
constexpr LONG kLockViolation = 33;
constexpr LONG kHandleDiskFull = 39;
constexpr LONG kBadNetPath = 53;
constexpr LONG kNetworkAccessDenied = 65;
constexpr LONG kBadNetName = 67;
constexpr LONG kCannotMake = 82;
constexpr LONG kDriveLocked = 108;
constexpr LONG kDiskFull = 112;
constexpr LONG kInvalidName = 123;
constexpr LONG kNegativeSeek = 131;
constexpr LONG kBadPathname = 161;
constexpr LONG kAlreadyExists = 183;
constexpr LONG kFilenameTooLong = 206;
constexpr LONG kIoDevice = 1117;

}  // namespace file_errors
