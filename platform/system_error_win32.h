// Windows only: the system's error codes (GetLastError) as the errno codes
// the rest of the program reports, so that a failed open or write carries the
// same number on Windows as on Linux.
#pragma once

namespace vt {

// The errno code nearest to the Windows error `code`; EIO for one without a
// counterpart.
int ErrnoFromSystemError(unsigned long code);

// ErrnoFromSystemError(GetLastError()).
int LastErrno();

}  // namespace vt
