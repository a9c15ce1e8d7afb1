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
    // Folders whose listing failed or ended early, once the scan has ended.
    std::int64_t unreadable = 0;
    // Once the scan has ended: why its root could not be listed, empty when it could.
    std::u16string rootProblem;
    std::u16string rootPath;
};

// Reads the facts from the controller's current scan. Safe on the owner's thread while the
// worker runs; stopped and method count only once running has turned false.
StatusFacts statusFactsOf(const scan::ScanController& controller, scan::Measure measure);

// "Starting scan…" before the first row while running (empty when not running);
// "Scanning… 1,234 files · 56 folders · 12.0 GB · 3.4s" while running ("1 file", "1 folder");
// afterwards "Cannot scan <root>: <reason>" when the root could not be listed, else
// "Scan complete · …" or "Scan stopped · …", then " · 3 folders could not be read" when some
// could not, then "  —  <measure>: <size>" for measures other than 0, then
// "  ·  read from the file table" when the file table was read.
std::u16string statusText(const StatusFacts& facts);

// "Cannot scan <root>: <reason>", as the status line and the treemap say it.
std::u16string cannotScanText(const std::u16string& rootPath, const std::u16string& reason);

// What the treemap shows in place of its picture: the status line's "Cannot scan …" for a root
// that could not be listed; "Nothing was added in the last month" (the last 6 months, since the
// last scan) when the root's value under a measure of what was added is 0, which would draw as
// one block of nothing; empty otherwise.
std::u16string treemapNotice(const StatusFacts& facts);

// " · 1 folder could not be read", " · 3 folders could not be read"; empty for none.
std::u16string unreadableText(std::int64_t folders);

}  // namespace app
