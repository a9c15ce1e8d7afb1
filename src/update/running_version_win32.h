#pragma once

// The running program's own path and version. Windows only.

#include <cstddef>
#include <string>

namespace update {

// The full path of the running executable, however long: the buffer grows from
// `initialCapacity` characters until the path fits. Empty when the system cannot tell.
std::u16string programPath(std::size_t initialCapacity = 260);

// The first three parts of the executable's file version ("1.4.2"), each a plain decimal
// number; "0.0.0" when the program carries no version or it cannot be read.
std::u16string runningVersion();

}  // namespace update
