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
    if (!facts.running) {
        facts.rootProblem = controller.rootProblem();
        facts.rootPath = controller.rootPath();
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
        facts.unreadable = static_cast<std::int64_t>(scanner->counters().unreadable.get());
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

std::u16string cannotScanText(const std::u16string& rootPath, const std::u16string& reason) {
    return u"Cannot scan " + rootPath + u": " + reason;
}

std::u16string unreadableText(std::int64_t folders) {
    if (folders <= 0) {
        return {};
    }
    return u" \u00B7 " + ui::countOf(folders, u"folder", u"folders") + u" could not be read";
}

std::u16string treemapNotice(const StatusFacts& facts) {
    if (!facts.running && !facts.rootProblem.empty()) {
        return cannotScanText(facts.rootPath, facts.rootProblem);
    }
    if (!facts.hasRows || facts.measureTotal != 0) {
        return {};
    }
    switch (facts.measure) {
        case scan::MeasureAddedMonth:
            return u"Nothing was added in the last month";
        case scan::MeasureAddedHalfYear:
            return u"Nothing was added in the last 6 months";
        case scan::MeasureAddedSinceScan:
            return u"Nothing was added since the last scan";
        default:
            return {};
    }
}

std::u16string statusText(const StatusFacts& facts) {
    if (!facts.running && !facts.rootProblem.empty()) {
        return cannotScanText(facts.rootPath, facts.rootProblem);
    }
    if (!facts.hasRows) {
        return facts.running ? u"Starting scan\u2026" : u"";
    }
    const std::u16string counts = ui::countOf(facts.files, u"file", u"files") + u" \u00B7 " +
                                  ui::countOf(facts.folders, u"folder", u"folders") + u" \u00B7 " +
                                  ui::sizeText(facts.allocated);
    const std::u16string elapsed = ui::secondsText(facts.elapsedSeconds);
    if (facts.running) {
        return u"Scanning\u2026 " + counts + u" \u00B7 " + elapsed;
    }
    std::u16string text = facts.stopped ? u"Scan stopped \u00B7 " : u"Scan complete \u00B7 ";
    text += counts + u" \u00B7 " + elapsed + unreadableText(facts.unreadable);
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
