#pragma once

// What the treemap's tooltip says about the item under the mouse: a node's path, value and kind,
// or the drive space a block stands for. Read from the store and the drive's facts at the moment
// of asking, so a block's figures follow the scan as it grows.

#include "scan/measures.h"
#include "scan/node_store.h"
#include "scan/scan_controller.h"
#include "treemap/space_blocks.h"

#include <cstdint>
#include <optional>
#include <string>

namespace app {

struct TooltipFacts {
    const scan::NodeStore* store = nullptr;  // none: there is no scan
    treemap::DriveSpace space;
    scan::Measure measure = scan::MeasureCurrentSize;
    bool physicalSizes = true;  // ShowPhysicalFileSize
    char16_t separator = u'\\';
};

struct Tooltip {
    std::u16string title;
    std::u16string body;
};

// The drive's facts as the controller captured them when the scan started, with the root's
// allocated bytes as they are now. All zero without a scan.
treemap::DriveSpace driveSpaceOf(const scan::ScanController& controller);

// The tooltip of an item showing `node` (a NodeId or a space block's id) that merged
// `hiddenCount` items too small to draw (0 for an item of its own). None without a scan, for a
// negative id that is no block, and for a row not yet published.
std::optional<Tooltip> treemapTooltip(const TooltipFacts& facts, std::int32_t node,
                                      std::int32_t hiddenCount);

// The text the tooltip window shows: the title alone, or the title and the body on two lines.
std::u16string tooltipDisplayText(const Tooltip& tooltip);

}  // namespace app
