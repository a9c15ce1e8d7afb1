#pragma once

// Every live item of a scan as CSV: UTF-8, quoted as RFC 4180 says, lines ended by CR LF.
// Columns: path, kind, size, allocated, files, created, flags.

#include "scan/node_store.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace cli {

// Appends `field` to `line`, in double quotes (with inner quotes doubled) when it holds a comma,
// a quote, CR or LF.
void appendCsvField(std::string& line, std::string_view field);

// Seconds since 1970 as "YYYY-MM-DDTHH:MM:SSZ"; empty for 0 (unknown).
std::string isoTimeText(std::uint32_t seconds);

// The flags as words separated by spaces: folder, link, unfollowed, duplicate, unopened.
std::string flagWords(std::uint8_t flags);

// Writes the header and one row per live node (parents first) to `out`, a file opened for
// binary writing. Holds one buffer of output at a time. False when a write failed.
bool writeCsv(const scan::NodeStore& store, char16_t separator, std::FILE* out);

}  // namespace cli
