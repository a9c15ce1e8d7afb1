#pragma once

#include <string>

namespace scan {

// Whether anything exists at `path` (in its long form) that the scan could start from.
bool pathExists(const std::u16string& path);

}  // namespace scan
