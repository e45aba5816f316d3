#pragma once
// Letting go of a file's handle, the system's part of CFile::Close and
// CFile::Abort (cfile_close.cpp).
#include "platform/framework/cstring.h"
#include "platform/kernel/windef.h"

namespace framework {

// Closes the handle the way its kind asks (nothing for hFileNull). Returns
// 0, or the system's error number of a failure: an errno on Linux, the
// system's error code on Windows.
int ReleaseFileHandle(UINT handle);

// Throws the file exception for such an error number.
[[noreturn]] void ThrowReleaseFailure(int error, const CString& name);

}  // namespace framework
