#include "app/treemap_tooltip.h"

#include "panes/inspector_rows.h"
#include "scan/file_kinds.h"
#include "ui/formats.h"

#include <algorithm>
#include <limits>

namespace app {

namespace {

std::int64_t asSigned(std::uint64_t value) {
    constexpr auto kLargest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return static_cast<std::int64_t>(std::min(value, kLargest));
}

}  // namespace

treemap::DriveSpace driveSpaceOf(const scan::ScanController& controller) {
    treemap::DriveSpace space;
    const scan::Scanner* scanner = controller.scanner();
    if (scanner == nullptr) {
        return space;
    }
    const scan::VolumeInfo& volume = controller.volume();
    space.volumeTotal = asSigned(volume.totalBytes);
    space.volumeFree = asSigned(volume.freeBytes);
    const scan::NodeStore& store = scanner->store();
    space.rootAllocated = store.publishedCount() > 0 ? store.allocated.get(0) : 0;
    space.scannedVolumeRoot = controller.wholeVolume();
    return space;
}

std::optional<Tooltip> treemapTooltip(const TooltipFacts& facts, std::int32_t node,
                                      std::int32_t hiddenCount) {
    if (facts.store == nullptr) {
        return std::nullopt;
    }
    const treemap::DriveSpace& space = facts.space;
    if (node == treemap::FreeSpaceId) {
        return Tooltip{u"Free space on this drive", ui::sizeText(space.volumeFree)};
    }
    if (node == treemap::OtherSpaceId) {
        const std::int64_t other = std::max<std::int64_t>(
            0, space.volumeTotal - asSigned(space.rootAllocated) - space.volumeFree);
        if (space.scannedVolumeRoot) {
            return Tooltip{u"Not reached by this scan",
                           ui::sizeText(other) +
                               u"  \u00B7  folders that could not be opened, and the file "
                               u"system's own records"};
        }
        return Tooltip{u"Everything else on this drive", ui::sizeText(other)};
    }
    if (node < 0 || static_cast<std::uint64_t>(node) >= facts.store->publishedCount()) {
        return std::nullopt;
    }
    const scan::NodeStore& store = *facts.store;
    const auto row = static_cast<scan::NodeId>(node);
    Tooltip tooltip;
    tooltip.title = store.pathOf(row, facts.separator);
    tooltip.body =
        ui::sizeText(scan::measureValue(store, row, facts.measure, facts.physicalSizes)) +
        u"  \u00B7  " + scan::kindName(store.kind.get(row));
    if (panes::couldNotBeRead(store, row)) {
        tooltip.body += u"  \u00B7  " + std::u16string(panes::kUnreadableText);
    }
    if (hiddenCount >= 1) {
        tooltip.body +=
            u"  \u00B7  with " + ui::countText(hiddenCount - 1) + u" other items too small to draw";
    }
    return tooltip;
}

std::u16string tooltipDisplayText(const Tooltip& tooltip) {
    if (tooltip.body.empty()) {
        return tooltip.title;
    }
    return tooltip.title + u"\n" + tooltip.body;
}

}  // namespace app
