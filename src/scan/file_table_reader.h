#pragma once

// Reading a whole NTFS volume's master file table instead of listing its folders: offered every
// scan before the folder walk, it takes the job only where it may and can read the table.

#include "scan/scan_result.h"

#include <cstdint>
#include <string>

namespace scan {

class Scanner;

// Offers the scan of `root` (normalised; row 0 already written) to the file table reader.
// Answers true when the reader filled the store, with its result in `result`. When it declines,
// the store holds only row 0, and the Scanner's fileTableRefused and note tell why where a
// reason is worth telling.
bool readFileTable(Scanner& scanner, const std::u16string& root, std::int64_t startTicks,
                   ScanResult& result);

}  // namespace scan
