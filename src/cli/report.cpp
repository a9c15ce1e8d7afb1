#include "cli/report.h"

#include "cli/live_nodes.h"
#include "cli/terminal_text.h"
#include "scan/file_kinds.h"
#include "ui/formats.h"

#include <algorithm>

namespace cli {

namespace {

std::u16string padLeft(const std::u16string& text, std::size_t width) {
    return text.size() >= width ? text : std::u16string(width - text.size(), u' ') + text;
}

std::u16string padRight(const std::u16string& text, std::size_t width) {
    return text.size() >= width ? text : text + std::u16string(width - text.size(), u' ');
}

std::u16string measureHeading(scan::Measure measure, bool logical) {
    std::u16string heading = scan::measureName(measure);
    if (measure == scan::MeasureCurrentSize) {
        heading += logical ? u", file lengths" : u", bytes on disk";
    }
    return heading;
}

// Larger values first, then lower rows.
bool ranksBefore(const LargestItem& a, const LargestItem& b) {
    return a.value != b.value ? a.value > b.value : a.row < b.row;
}

}  // namespace

std::vector<LargestItem> largestItems(const scan::NodeStore& store, scan::Measure measure,
                                      bool logical, std::size_t count, char16_t separator) {
    std::vector<LargestItem> heap;
    if (count == 0) {
        return heap;
    }
    heap.reserve(count + 1);
    // A heap whose front is the item that ranks last, so it is the one replaced.
    visitLiveNodes(store, separator, [&](scan::NodeId row, std::u16string_view) {
        if (row == 0) {
            return;
        }
        const std::int64_t value = scan::measureValue(store, row, measure, !logical);
        if (value <= 0) {
            return;
        }
        const LargestItem item{row, value, {}};
        if (heap.size() == count) {
            if (!ranksBefore(item, heap.front())) {
                return;
            }
            std::pop_heap(heap.begin(), heap.end(), ranksBefore);
            heap.back() = item;
        } else {
            heap.push_back(item);
        }
        std::push_heap(heap.begin(), heap.end(), ranksBefore);
    });
    std::sort(heap.begin(), heap.end(), ranksBefore);
    const std::u16string root = store.nameOf(0);
    for (LargestItem& item : heap) {
        std::u16string full = store.pathOf(item.row, separator);
        std::size_t skip = root.size();
        if (skip < full.size() && full[skip] == separator) {
            skip += 1;
        }
        item.relativePath = full.substr(std::min(skip, full.size()));
    }
    return heap;
}

std::u16string largestItemsText(const scan::NodeStore& store, const std::vector<LargestItem>& items,
                                scan::Measure measure, bool logical) {
    std::u16string text = u"Largest items (" + measureHeading(measure, logical) + u")\n";
    std::size_t kindWidth = 0;
    for (const LargestItem& item : items) {
        kindWidth = std::max(kindWidth, scan::kindName(store.kind.get(item.row)).size());
    }
    for (const LargestItem& item : items) {
        text += u"  " + padLeft(ui::sizeText(item.value), 10) + u"  " +
                padRight(scan::kindName(store.kind.get(item.row)), kindWidth) + u"  " +
                terminalSafe(item.relativePath) + u"\n";
    }
    if (items.empty()) {
        text += u"  (none)\n";
    }
    return text;
}

std::u16string kindsText(const scan::KindTotals& totals, scan::Measure measure, bool logical) {
    std::vector<scan::KindTotal> kinds = scan::kindTotals(totals, measure, logical);
    std::stable_sort(
        kinds.begin(), kinds.end(),
        [](const scan::KindTotal& a, const scan::KindTotal& b) { return a.value > b.value; });
    std::size_t kindWidth = 4;
    for (const scan::KindTotal& kind : kinds) {
        kindWidth =
            std::max(kindWidth, scan::kindName(static_cast<scan::FileKind>(kind.kind)).size());
    }
    std::u16string text = u"File kinds (" + measureHeading(measure, logical) + u")\n";
    text += u"  " + padRight(u"Kind", kindWidth) + u"  " + padLeft(u"Total", 10) + u"  " +
            padLeft(u"Files", 13) + u"\n";
    for (const scan::KindTotal& kind : kinds) {
        text += u"  " +
                padRight(scan::kindName(static_cast<scan::FileKind>(kind.kind)), kindWidth) +
                u"  " + padLeft(ui::sizeText(static_cast<std::int64_t>(kind.value)), 10) + u"  " +
                padLeft(ui::countText(static_cast<std::int64_t>(kind.files)), 13) + u"\n";
    }
    if (kinds.empty()) {
        text += u"  (none)\n";
    }
    return text;
}

}  // namespace cli
