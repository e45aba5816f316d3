#pragma once
#include "platform/framework/cstring.h"

// The messages of a query that are its own rather than a socket's.
inline constexpr char kInvalidAddressText[] = "Invalid server address";
inline constexpr char kPingTimedOutText[] = "Ping Timed Out";

// No echo could be sent at all; the advice says why, and how to allow it
// where that helps.
inline CString EchoNotSentText(const CString& strAdvice) { return "Ping not sent. " + strAdvice; }
