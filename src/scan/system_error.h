#pragma once

// The one place that turns the platform's error codes (errno on POSIX systems, GetLastError() on
// Windows) into the lower-case phrases the user reads after "cannot scan", "cannot write" and the
// like.

#include <string>

namespace scan {

// "it does not exist", "it is not a folder", "access is denied", "the disk is full", … and, for
// a code without a phrase of its own, the platform's wording or "error N".
std::u16string reasonOfSystemError(unsigned long error);

}  // namespace scan
