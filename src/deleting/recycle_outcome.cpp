#include "deleting/recycle_outcome.h"

#include "deleting/deleting_texts.h"

namespace deleting {

DeleteReport judgeAttempt(const std::u16string& path, const ShellAttempt& attempt,
                          const DiskAfter& after) {
    DeleteReport report;
    report.path = path;
    const std::u16string reason =
        attempt.reason.empty() ? std::u16string(kRefusedReason) : attempt.reason;
    if (after.sameItemThere) {
        if (attempt.attempted && after.folder && after.filesLeft < after.filesBefore) {
            report.outcome = Outcome::PartlyMoved;
            report.reason = reason;
            report.files = after.filesBefore;
            report.filesMoved = after.filesBefore - after.filesLeft;
            return report;
        }
        // Whatever the shell said, the item stands where it stood.
        report.outcome = Outcome::NotMoved;
        report.reason = reason;
        return report;
    }
    if (!attempt.attempted || !attempt.succeeded) {
        report.outcome = Outcome::NotMoved;
        report.reason = reason;
        report.stillThere = false;
        return report;
    }
    report.outcome = attempt.reachedBin == false ? Outcome::Destroyed : Outcome::Moved;
    return report;
}

bool mayDeleteItem(std::uint32_t transferFlags) {
    return (transferFlags & kRecycleIfPossible) != 0;
}

}  // namespace deleting
