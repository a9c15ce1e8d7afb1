#pragma once

#include <filesystem>
#include <functional>

namespace history::test_support {

// Runs `action` on this thread while `file` exists but cannot be opened for reading, for a
// reason other than its absence. On Windows another handle holds it without sharing and lets go
// one second after `action` starts, as a passing virus scanner or backup would; the file can be
// replaced once it is free again. On POSIX systems its permissions deny all access and, when
// running as root, this thread gives up the capabilities that would override them; its folder
// stays writable. Answers false, without running `action`, when the file could not be made
// unreadable.
bool whileUnreadable(const std::filesystem::path& file, const std::function<void()>& action);

}  // namespace history::test_support
