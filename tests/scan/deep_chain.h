#pragma once

// A chain of nested folders whose full path is longer than the platform takes in one call, made
// and removed one folder at a time from the open folder above it, the only way such a chain can
// be made at all.

#include <filesystem>
#include <string>

namespace scan::testing {

// Makes `levels` nested folders called `name` below `base`, each holding one file "f.txt" of
// `fileBytes` bytes. False when the platform refused (the test is then skipped).
bool makeDeepChain(const std::filesystem::path& base, const std::string& name, int levels,
                   std::size_t fileBytes);

// Removes the chain below `base` that makeDeepChain made, deepest folder first.
void removeDeepChain(const std::filesystem::path& base, const std::string& name);

}  // namespace scan::testing
