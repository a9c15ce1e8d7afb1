#pragma once

// The text of the history file: lines of "seconds TAB root LF" in ascending key order, UTF-8.
// Pure functions, shared by every platform.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace history {

// Root paths (lower-cased) to the end of their last full scan in seconds since 1970. The order
// of std::u16string is the plain ordinal order of UTF-16 code units, shorter key first on a tie,
// which is the order of lines in the file.
using HistoryMap = std::map<std::u16string, std::uint32_t>;

// Folds A-Z to a-z and leaves every other unit, non-ASCII letters included, as it is.
std::u16string lowerCaseAscii(std::u16string_view path);

// Whether `rootPath` can be a key of the file as it is: a control character (a line break above
// all) would break the line it stands on, and ill-formed UTF-16 would not read back as written.
bool isRecordable(std::u16string_view rootPath);

// Reads an unsigned decimal number the lenient way: leading white space and a sign are
// skipped, reading stops at the first non-digit, values beyond 4,294,967,295 saturate, and no
// digits give 0. A negative number gives 0, since no scan ended before 1970.
std::uint32_t readNumber(std::string_view text);

// Builds the map from the file's bytes. LF ends a line (one CR before it is dropped) and text
// after the last LF is a line too. Lines without a TAB, with a 0 value or an empty key are
// skipped; keys are taken as they stand (invalid UTF-8 becomes U+FFFD); of several lines with
// one key the last one counts.
HistoryMap parseHistory(std::string_view bytes);

// The whole file text for `map`: one line per entry, LF after each, nothing for an empty map.
std::string formatHistory(const HistoryMap& map);

}  // namespace history
