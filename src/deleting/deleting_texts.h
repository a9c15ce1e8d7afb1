#pragma once

// What the deleting dialogs say, and why an item cannot go to the Recycle Bin, decided from facts
// that the platform side gathers before it lets the shell touch anything. Portable.

#include "deleting/recycle_outcome.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace deleting {

// "N items are waiting to be deleted. Leaving this scan deletes them immediately." ("1 item is
// ... deletes it ...").
std::u16string leavingText(std::size_t count);
// "N items will go to the Recycle Bin straight away, …" ("1 item").
std::u16string deleteNowText(std::size_t count);
// The error message of an item that did not reach the Recycle Bin and is still where it was.
std::u16string failureText(std::u16string_view path, std::u16string_view reason);
// One message for every item of one step that did not simply reach the Recycle Bin: a sentence
// for a single item, otherwise a count and the first few items, a line each. Empty when every
// report says Moved.
std::u16string reportText(const std::vector<DeleteReport>& reports);
// How many items reportText lists by name before it counts the rest.
inline constexpr std::size_t kListedReports = 5;

// The reason the item is refused when a name on its path holds what the shell would read as
// something else: a NUL or a control character, a separator, "." or "..", which split the path
// or lead elsewhere. Empty when every name is plain.
std::u16string unsafeNameReason(const std::vector<std::u16string>& names);

// The reason of a refusal that only the operation itself found.
inline constexpr std::u16string_view kRefusedReason = u"the Recycle Bin refused it";

// What the system tells about an item and its drive before it is recycled.
struct RecycleFacts {
    enum class Drive { Fixed, Removable, Remote, Optical, RamDisk, Unknown };
    Drive drive = Drive::Fixed;
    bool binAnswers = true;  // the drive's Recycle Bin answered a query
    bool switchedOffByPolicy = false;
    bool deletesAtOnce = false;  // the drive's bin is set to remove files immediately
    std::int64_t capacity = 0;   // bytes the drive's bin may hold; 0 when unknown
    std::int64_t bytes = 0;      // the item's size
};

// The shell takes * and ? in a source path as a pattern and would recycle every match, so such a
// path is never handed to it.
bool holdsWildcard(std::u16string_view path);

// Why an item with these facts would not be recycled but destroyed, as a lower-case phrase, or
// empty when nothing stands in the way. The checks follow the order a user would fix them in:
// the drive, the system's policy, the bin's own setting, then the bin's room.
std::u16string recycleRefusal(std::u16string_view path, const RecycleFacts& facts);

}  // namespace deleting
