#include "app/status_text.h"

#include "ui/formats.h"

namespace app {

StatusFacts statusFactsOf(const scan::ScanController& controller, scan::Measure measure) {
    StatusFacts facts;
    facts.running = controller.running();
    const scan::Scanner* scanner = controller.scanner();
    if (scanner == nullptr) {
        return facts;
    }
    const scan::NodeStore& store = scanner->store();
    const std::uint64_t published = store.publishedCount();
    if (published == 0) {
        return facts;
    }
    facts.hasRows = true;
    if (!facts.running) {
        facts.stopped = controller.stopped();
        facts.method = controller.method();
    }
    facts.files = store.fileCount.get(0);
    // Further names of a hard-linked file are rows with no file count of their own; they are
    // not folders, so they come off the rows that are not files. The counter holds exactly the
    // further names in the tree, whatever was removed, restored or refreshed since the scan.
    const std::uint64_t notFolders =
        scanner->removedRows() + scanner->counters().duplicateLinks.get();
    const auto items =
        static_cast<std::int64_t>(published > notFolders ? published - notFolders : 0);
    facts.folders = items > facts.files ? items - facts.files : 0;
    facts.allocated = static_cast<std::int64_t>(store.allocated.get(0));
    facts.elapsedSeconds = controller.elapsedSeconds();
    facts.measure = measure;
    facts.measureTotal = scan::measureValue(store, 0, measure, true);
    return facts;
}

std::u16string statusText(const StatusFacts& facts) {
    if (!facts.hasRows) {
        return facts.running ? u"Starting scan\u2026" : u"";
    }
    const std::u16string counts = ui::countText(facts.files) + u" files \u00B7 " +
                                  ui::countText(facts.folders) + u" folders \u00B7 " +
                                  ui::sizeText(facts.allocated);
    const std::u16string elapsed = ui::secondsText(facts.elapsedSeconds);
    if (facts.running) {
        return u"Scanning\u2026 " + counts + u" \u00B7 " + elapsed;
    }
    std::u16string text = facts.stopped ? u"Scan stopped \u00B7 " : u"Scan complete \u00B7 ";
    text += counts + u" \u00B7 " + elapsed;
    if (facts.measure != scan::MeasureCurrentSize) {
        text += u"  \u2014  " + scan::measureName(facts.measure) + u": " +
                ui::sizeText(facts.measureTotal);
    }
    if (facts.method == 2) {
        text += u"  \u00B7  read from the file table";
    }
    return text;
}

}  // namespace app
