#pragma once

// What the command line needs from the platform: its standard streams, Ctrl+C, the environment
// and files named on the command line. One back end per platform.

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// Makes the standard streams carry UTF-8 (a console shows it as such).
void prepareConsole();
bool standardErrorIsTerminal();
void writeStandardOutput(std::string_view utf8);
void writeStandardError(std::string_view utf8);

// From now on the first Ctrl+C calls `onInterrupt` (on a thread of its own, never inside a signal
// handler) instead of ending the process; a second one ends the process as usual.
void installInterruptHandler(std::function<void()> onInterrupt);
// Ctrl+C ends the process again. Once this returns, `onInterrupt` is not running and will not be
// called.
void restoreInterruptDefault();

// The value of an environment variable, or nothing when it is not set.
std::optional<std::u16string> environmentText(const char* name);

// Opens (creating or truncating) a file named on the command line for binary writing; null with
// `reason` filled in (a lower-case phrase) when it cannot be opened.
std::FILE* openForWriting(const std::u16string& path, std::u16string& reason);

// Whether a temporary file beside `path` may replace it: true when nothing is there or a file
// on a disk is; false for a device or a pipe, which are written directly.
bool isReplaceableFile(const std::u16string& path);
// Creates the file `path`, which must not exist yet, for binary writing. Null when it cannot,
// with `taken` true when something is already there, and `reason` filled in otherwise.
std::FILE* createNewFile(const std::u16string& path, bool& taken, std::u16string& reason);
// Flushes what the stream's file holds to the disk (the stream itself already flushed).
bool syncToDisk(std::FILE* stream);
bool syncFileToDisk(const std::u16string& path);
// Renames `from` over `to`, replacing it in one step; false with `reason` filled in.
bool replaceFile(const std::u16string& from, const std::u16string& to, std::u16string& reason);
void removeFile(const std::u16string& path);
// The C library's error number `error` as a lower-case phrase ("the disk is full").
std::u16string reasonOfError(int error);

// A file named on the command line as the standard library names it.
std::filesystem::path fileSystemPath(const std::u16string& path);

}  // namespace cli
