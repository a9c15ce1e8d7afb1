#include "app/measure_box.h"

namespace app {

std::u16string measureItemText(scan::Measure measure, std::uint32_t previousScan) {
    std::u16string text = scan::measureName(measure);
    if (measure == scan::MeasureAddedSinceScan && previousScan == 0) {
        text += u" (no previous scan)";
    }
    return text;
}

}  // namespace app
