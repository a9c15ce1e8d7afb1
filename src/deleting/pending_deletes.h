#pragma once

// Deleting never happens at once: items leave every total when they are queued, count down for
// ten seconds while they can still be put back, and only then go to the Recycle Bin. This is the
// list with its countdown; the window that owns it supplies the Recycle Bin operation and shows
// the changes. Portable; user-interface thread only.

#include "scan/scanner.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace deleting {

// The countdown of a new item and the step of one tick, in milliseconds.
inline constexpr std::int64_t kCountdownMilliseconds = 10000;
inline constexpr std::int64_t kTickMilliseconds = 100;

struct PendingItem {
    std::int32_t node = 0;
    std::u16string path;  // taken when the item was queued
    std::u16string name;
    std::int64_t value = 0;  // under the measure in force when it was queued, as the pane shows it
    std::int64_t remaining = kCountdownMilliseconds;
    scan::RemovalRecord removal;
    // Bytes on disk of the whole subtree when it was queued, for the Recycle Bin's room.
    std::int64_t bytes = 0;
};

class PendingDeletes {
  public:
    // Sends one item to the Recycle Bin. False, with a reason (a lower-case phrase), when the
    // item did not get there; the item is then still where it was.
    std::function<bool(const std::u16string& path, std::int64_t bytes, std::u16string& reason)>
        recycle;
    // After every change of the list.
    std::function<void()> changed;
    // An item that could not be recycled and was put back.
    std::function<void(const std::u16string& path, const std::u16string& reason)> failed;
    // True while a scan or refresh writes the scanner's store: nothing is put back then, so the
    // countdown holds and undeleting waits.
    std::function<bool()> busy;

    // The scanner whose store later items are removed from; not owned. Items already listed keep
    // their records, so the list must be settled before that scanner goes or its rows are
    // rebuilt.
    void setScanner(scan::Scanner* scanner) { scanner_ = scanner; }
    scan::Scanner* scanner() const { return scanner_; }

    // Takes `node` and its subtree out of every total and lists it at the top. Ignored (false)
    // without a scanner, for the root or a row outside the store, for an empty path, for a node
    // that is pending already or lies inside or contains a pending node, and for a node that the
    // scanner cannot remove (one removed already or no longer in the tree).
    bool addPending(std::int32_t node, const std::u16string& path, const std::u16string& name,
                    std::int64_t value);
    // Runs `changes` with the change notices held back, then gives one if anything changed: a
    // selection of many items refreshes the views once, not once an item.
    void changeTogether(const std::function<void()>& changes);
    // One step of every countdown. Items that run out leave the list and go to the Recycle Bin
    // in list order; those it refuses come back into the totals and are reported. False when
    // nothing counted (an empty list, paused, or busy).
    bool tick();
    // Sends every item to the Recycle Bin now, newest first.
    void deleteAllNow();
    // Puts every item back, newest first (the reverse of their removal).
    void undeleteAll();
    // Puts back the item at `position` in the list; other positions are ignored.
    void undelete(std::size_t position);

    const std::vector<PendingItem>& items() const { return items_; }
    bool empty() const { return items_.empty(); }
    // Held while the leaving dialog is open.
    bool paused() const { return paused_; }
    void setPaused(bool paused) { paused_ = paused; }

  private:
    bool isBusy() const { return busy && busy(); }
    void perform(const PendingItem& item);
    void notifyChanged();

    scan::Scanner* scanner_ = nullptr;
    std::vector<PendingItem> items_;  // newest first
    bool paused_ = false;
    // Inside changeTogether: whether a change happened that was not told yet.
    bool holdingNotices_ = false;
    bool changeHeldBack_ = false;
};

// The nodes of a selection in the order they are queued: rows outside the store, the root and
// rows no longer in the tree (removed, or below a removed folder) are dropped; the rest go
// shallower first and by row number within a depth, so a folder comes before anything inside it
// and that is then refused as already pending.
std::vector<std::int32_t> deletionOrder(const scan::Scanner& scanner,
                                        const std::vector<std::int32_t>& selection);

}  // namespace deleting
