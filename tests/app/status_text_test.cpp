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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(scan::toUtf8(statusText(c.facts)), c.expected);
    }
}

}  // namespace
}  // namespace app
