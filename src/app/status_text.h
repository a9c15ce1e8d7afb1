#pragma once

// The text of the status line: what a scan has found so far, or how it ended. Portable, so the
// main window and the command line say exactly the same thing.

#include "scan/measures.h"
#include "scan/scan_controller.h"

#include <cstdint>
#include <string>

namespace app {

// The numbers the status line is made of, read at one moment (each may be slightly stale while
// a scan runs).
struct StatusFacts {
    bool hasRows = false;  // the store has published at least the root row
    bool running = false;
    bool stopped = false;
    std::int64_t files = 0;
    std::int64_t folders = 0;
    std::int64_t allocated = 0;  // the root's bytes on disk, whatever size setting is shown
    double elapsedSeconds = 0;
    scan::Measure measure = scan::MeasureCurrentSize;
    std::int64_t measureTotal = 0;  // the root's value under `measure`
    std::uint32_t method = 1;       // 2 = the master file table was read
};

// Reads the facts from the controller's current scan. Safe on the owner's thread while the
// worker runs; stopped and method count only once running has turned false.
StatusFacts statusFactsOf(const scan::ScanController& controller, scan::Measure measure);

// "Starting scan…" before the first row while running (empty when not running);
// "Scanning… 1,234 files · 56 folders · 12.0 GB · 3.4s" while running; afterwards
// "Scan complete · …" or "Scan stopped · …", then "  —  <measure>: <size>" for measures other
// than 0, then "  ·  read from the file table" when the file table was read.
std::u16string statusText(const StatusFacts& facts);

}  // namespace app
