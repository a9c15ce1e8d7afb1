#pragma once

// What became of an item handed to the Recycle Bin, decided from what the disk shows afterwards
// rather than from what the shell said: a shell can report success for an item it destroyed, and
// failure for a folder of which it moved half. Portable.

#include <cstdint>
#include <optional>
#include <string>

namespace deleting {

// What one attempt of the platform's Recycle Bin operation reported.
struct ShellAttempt {
    // False when the item was refused before the shell saw it; `reason` says why.
    bool attempted = false;
    bool succeeded = false;
    // A lower-case phrase when the item was refused or the shell failed; empty otherwise.
    std::u16string reason;
    // Whether the item is known to have arrived in the Recycle Bin; unknown when the platform
    // cannot tell.
    std::optional<bool> reachedBin;
};

enum class Outcome {
    Moved,        // the item is in the Recycle Bin
    NotMoved,     // nothing of it moved
    PartlyMoved,  // a folder of which some files moved and the rest stayed
    Changed,      // something else stood at its place, or nothing: it was left alone
    Destroyed,    // it is gone from the disk without having reached the Recycle Bin
};

// One item's outcome as the user is told it.
struct DeleteReport {
    std::u16string path;
    Outcome outcome = Outcome::Moved;
    std::u16string reason;  // NotMoved and PartlyMoved
    // NotMoved: whether the item is where it was, as it was when chosen.
    bool stillThere = true;
    std::int64_t filesMoved = 0;  // PartlyMoved
    std::int64_t files = 0;       // PartlyMoved
};

// What the disk shows after the attempt.
struct DiskAfter {
    // The chosen item is still at its place with the identity it had when chosen.
    bool sameItemThere = false;
    bool folder = false;
    std::int64_t filesBefore = 0;  // files below a folder when it was chosen
    std::int64_t filesLeft = 0;    // files below it now (only read when it is still there)
};

// The outcome of an attempt on the item at `path`.
DeleteReport judgeAttempt(const std::u16string& path, const ShellAttempt& attempt,
                          const DiskAfter& after);

// The shell's transfer flag that says a delete will go to the Recycle Bin (its value in the
// shell's headers).
inline constexpr std::uint32_t kRecycleIfPossible = 0x80;

// Whether the shell may go on with the delete of one item, given the transfer flags it announces
// just before: only when that delete is a move into the Recycle Bin. Anything else would destroy
// the item, so it is stopped.
bool mayDeleteItem(std::uint32_t transferFlags);

}  // namespace deleting
