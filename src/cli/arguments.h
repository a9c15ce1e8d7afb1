#pragma once

// The command line of rozovizov-cli, parsed into options without touching the file system.

#include "scan/measures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

struct CliOptions {
    std::u16string root;
    scan::Measure measure = scan::MeasureCurrentSize;
    bool logical = false;
    std::uint32_t method = 0;  // ScanOptions::method: 0 automatic, 1 folder walk, 2 file table
    std::int32_t threads = 0;  // 0: one listing thread per hardware thread
    std::uint32_t top = 20;
    std::u16string csvFile;      // empty: no CSV
    std::u16string treemapFile;  // empty: no picture
    int width = 1920;
    int height = 1080;
    bool help = false;
    bool version = false;
};

struct ParsedArguments {
    CliOptions options;
    // Empty when the command line is sound; otherwise one line saying what is wrong.
    std::u16string error;
};

// Parses the arguments after the program name. Options take their value as the next argument
// or after "=" (--top=5); "--" ends the options. --help and --version need no PATH.
ParsedArguments parseArguments(const std::vector<std::u16string>& arguments);

// The most listing threads worth starting on a machine with `hardwareThreads` (0 when unknown):
// four per hardware thread, and at least 8. More only wait on one another; hundreds of them on a
// two-core machine made a scan many times slower than two. A larger --threads is lowered to it.
std::int32_t listingThreadCap(unsigned hardwareThreads);

// The text of --help, ending in a newline.
std::u16string helpText();

}  // namespace cli
