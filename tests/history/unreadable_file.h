#pragma once

#include <filesystem>
#include <functional>

namespace history::test_support {

// Runs `action` on this thread while `file` exists but cannot be opened for reading, for a
// reason other than its absence. On Windows another handle holds it without sharing, as a
// passing virus scanner or backup would, until `action` returns or, sooner, until another file
// in its folder is written: a writer that went ahead without reading it has then prepared its
// replacement, and finds the file free while it retries putting that in place, so the fault
// shows in the file afterwards. On POSIX systems its permissions deny all access and, when
// running as root, this thread gives up the capabilities that would override them; its folder
// stays writable, so a replacement goes in at once. Answers false, without running `action`,
// when the file could not be made unreadable.
bool whileUnreadable(const std::filesystem::path& file, const std::function<void()>& action);

}  // namespace history::test_support
