#pragma once
#include "platform/framework/cstring.h"

// The text a socket failure shows, as the datagram socket's exception
// words it: "<what> error #<number>", or the bare text when the number is 0.
CString SocketFailureText(LPCSTR pszWhat, int nError);
