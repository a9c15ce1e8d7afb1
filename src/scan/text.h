#pragma once

// The one place that converts between UTF-16 (paths and texts) and UTF-8 (files, the network and
// POSIX file names).

#include <string>
#include <string_view>

namespace scan {

// Strict conversions for texts: an empty input gives an empty result. Ill-formed input (a lone
// surrogate, an invalid UTF-8 sequence) becomes U+FFFD, as the platform's own conversion does.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view text);

// Lossless conversions for file names, which on POSIX systems are bytes that need not be UTF-8.
// Valid UTF-8 becomes the same characters; each byte of an invalid sequence becomes the lone
// surrogate U+DC80 + byte, and fileNameToBytes turns such a surrogate back into that byte, so
// every name survives the round trip to the exact bytes.
std::u16string fileNameFromBytes(std::string_view bytes);
// The same, appending to `out` so that a caller can reuse one buffer.
void appendFileNameFromBytes(std::u16string& out, std::string_view bytes);
std::string fileNameToBytes(std::u16string_view name);

}  // namespace scan
