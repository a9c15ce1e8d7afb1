#include "app/status_text.h"

#include "scan/text.h"

#include <gtest/gtest.h>

namespace app {
namespace {

StatusFacts finished(bool stopped, scan::Measure measure, std::uint32_t method) {
    StatusFacts facts;
    facts.hasRows = true;
    facts.stopped = stopped;
    facts.files = 1234;
    facts.folders = 56;
    facts.allocated = 12'000'000'000;
    facts.elapsedSeconds = 3.4;
    facts.measure = measure;
    facts.measureTotal = 1'500'000'000;
    facts.method = method;
    return facts;
}

TEST(StatusText, EveryStateReadsAsTheStatusLineShowsIt) {
    StatusFacts starting;
    starting.running = true;
    StatusFacts running = finished(false, 1, 2);
    running.running = true;
    running.files = 1'000'000;
    running.folders = 0;
    running.allocated = 999;
    running.elapsedSeconds = 0.04;
    StatusFacts single = finished(false, 0, 1);
    single.files = 1;
    single.folders = 1;
    single.unreadable = 1;
    StatusFacts several = finished(false, 2, 1);
    several.unreadable = 3;
    StatusFacts missing;
    missing.rootPath = u"C:\\gone";
    missing.rootProblem = u"it does not exist";
    StatusFacts unlisted = finished(false, 0, 1);
    unlisted.rootPath = u"C:\\file.txt";
    unlisted.rootProblem = u"it is not a folder";

    struct Case {
        const char* name;
        StatusFacts facts;
        const char* expected;
    };
    const Case cases[] = {
        {"nothing", StatusFacts{}, ""},
        {"starting", starting, "Starting scan…"},
        {"running, measure and method ignored", running,
         "Scanning… 1,000,000 files · 0 folders · 999 B · 0.0s"},
        {"complete under the current size", finished(false, 0, 1),
         "Scan complete · 1,234 files · 56 folders · 12.0 GB · 3.4s"},
        {"stopped", finished(true, 0, 1),
         "Scan stopped · 1,234 files · 56 folders · 12.0 GB · 3.4s"},
        {"measure and file table", finished(false, 1, 2),
         "Scan complete · 1,234 files · 56 folders · 12.0 GB · 3.4s  —  Added in Last Month: "
         "1.5 GB  ·  read from the file table"},
        {"since the last scan", finished(true, 3, 1),
         "Scan stopped · 1,234 files · 56 folders · 12.0 GB · 3.4s  —  Added Since Last Scan: "
         "1.5 GB"},
        {"one of each, one folder unread", single,
         "Scan complete · 1 file · 1 folder · 12.0 GB · 3.4s · 1 folder could not be read"},
        {"folders unread before the measure", several,
         "Scan complete · 1,234 files · 56 folders · 12.0 GB · 3.4s · 3 folders could not be "
         "read  —  Added in Last 6 Months: 1.5 GB"},
        {"a root with no rows", missing, "Cannot scan C:\\gone: it does not exist"},
        {"a root row that could not be listed", unlisted,
         "Cannot scan C:\\file.txt: it is not a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(scan::toUtf8(statusText(c.facts)), c.expected);
    }
}

TEST(StatusText, TheTreemapSaysWhyItHasNoPicture) {
    StatusFacts missing;
    missing.rootPath = u"C:\\gone";
    missing.rootProblem = u"it does not exist";
    StatusFacts nothingAdded = finished(false, 2, 1);
    nothingAdded.measureTotal = 0;
    StatusFacts sinceLastScan = finished(false, 3, 1);
    sinceLastScan.measureTotal = 0;
    sinceLastScan.running = true;
    StatusFacts emptyFolder = finished(false, 0, 1);
    emptyFolder.measureTotal = 0;
    StatusFacts noRows;
    noRows.measure = 1;
    struct Case {
        const char* name;
        StatusFacts facts;
        const char* expected;
    };
    const Case cases[] = {
        {"a root that could not be listed", missing, "Cannot scan C:\\gone: it does not exist"},
        {"nothing added in the last 6 months", nothingAdded,
         "Nothing was added in the last 6 months"},
        {"nothing added since the last scan, so far", sinceLastScan,
         "Nothing was added since the last scan"},
        {"something added", finished(false, 1, 1), ""},
        {"an empty folder under the current size", emptyFolder, ""},
        {"no rows yet", noRows, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(scan::toUtf8(treemapNotice(c.facts)), c.expected);
    }
}

}  // namespace
}  // namespace app
