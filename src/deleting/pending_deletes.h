#pragma once

// Deleting never happens at once: items leave every total when they are queued, count down for
// ten seconds while they can still be put back, and only then go to the Recycle Bin. This is the
// list with its countdown; the window that owns it supplies the Recycle Bin operation and shows
// the changes. Portable; user-interface thread only.

#include "deleting/recycle_outcome.h"
#include "scan/item_identity.h"
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
    // The names from below the scan root down to the item, and what stood there when it was
    // queued: only that item is ever handed to the Recycle Bin.
    std::vector<std::u16string> names;
    scan::ItemIdentity identity;
    // Files below a folder when it was queued, to tell a folder that moved in part.
    std::int64_t files = 0;
};

class PendingDeletes {
  public:
    // Hands one item to the Recycle Bin and says what the platform reported. The list checks
    // beforehand that the item at the path is the one chosen, and afterwards what the disk shows.
    std::function<ShellAttempt(const PendingItem& item)> recycle;
    // Why the Recycle Bin of the item's drive cannot take an item of `bytes` bytes (a lower-case
    // phrase), or empty: such an item is refused when it is chosen, not ten seconds later.
    std::function<std::u16string(const std::u16string& path, std::int64_t bytes)> refusal;
    // After every change of the list.
    std::function<void()> changed;
    // Once per step (a queued selection, a tick, Delete Now) with every item of it that did not
    // simply reach the Recycle Bin, after the change notice of that step.
    std::function<void(const std::vector<DeleteReport>& reports)> reported;
    // True while a scan or refresh writes the scanner's store: nothing is put back then, so the
    // countdown holds and undeleting waits.
    std::function<bool()> busy;

    // The scanner whose store later items are removed from; not owned. Items already listed keep
    // their records, so the list must be settled before that scanner goes or its rows are
    // rebuilt. Another scanner also forgets the folders waiting to be read again.
    void setScanner(scan::Scanner* scanner);
    scan::Scanner* scanner() const { return scanner_; }

    // Takes `node` and its subtree out of every total and lists it at the top. Ignored (false)
    // without a scanner, for the root or a row outside the store, for an empty path, for a node
    // that is pending already or lies inside a pending node, and for a node that the scanner
    // cannot remove (one removed already or no longer in the tree). A folder holding pending
    // items takes their place: they return to the totals and leave the list, and the folder
    // counts down from the start. Refused with a report (false) when a name on its path is one
    // the shell would misread, when its drive's Recycle Bin cannot take it, and when the item on
    // disk is no longer the one the scan found (its folder is then read again).
    bool addPending(std::int32_t node, const std::u16string& path, const std::u16string& name,
                    std::int64_t value);
    // Runs `changes` with the change notices and reports held back, then gives one of each if
    // anything changed: a selection of many items refreshes the views once, not once an item.
    void changeTogether(const std::function<void()>& changes);
    // One step of every countdown. Items that run out leave the list and go to the Recycle Bin
    // in list order; what did not get there is reported. False when nothing counted (an empty
    // list, paused, or busy).
    bool tick();
    // Sends every item to the Recycle Bin now, newest first.
    void deleteAllNow();
    // Puts every item back, newest first (the reverse of their removal).
    void undeleteAll();
    // Puts back the item at `position` in the list; other positions are ignored.
    void undelete(std::size_t position);

    const std::vector<PendingItem>& items() const { return items_; }
    bool empty() const { return items_.empty(); }
    // Held while a dialog about the list is open.
    bool paused() const { return paused_; }
    void setPaused(bool paused) { paused_ = paused; }

    // A folder of the current scanner whose listing no longer matches the disk and that can be
    // read again now (no pending item lies inside it); it leaves the waiting list with every
    // waiting folder inside it. -1 when there is none.
    std::int32_t takeFolderToRead();
    bool hasFoldersToRead() const { return !foldersToRead_.empty(); }

  private:
    bool isBusy() const { return busy && busy(); }
    // A refusal known before anything is queued: reported, and false.
    bool refuse(const std::u16string& path, const std::u16string& reason);
    void perform(const PendingItem& item);
    void readAgainLater(std::int32_t node);
    void notifyChanged();
    void flushReports();

    scan::Scanner* scanner_ = nullptr;
    std::vector<PendingItem> items_;  // newest first
    bool paused_ = false;
    // Inside changeTogether: whether a change happened that was not told yet.
    bool holdingNotices_ = false;
    bool changeHeldBack_ = false;
    std::vector<DeleteReport> reports_;
    std::vector<scan::NodeId> foldersToRead_;
};

// The nodes of a selection in the order they are queued: rows outside the store, the root, rows
// no longer in the tree (removed, or below a removed folder) and rows inside another node of the
// selection are dropped; the rest go shallower first and by row number within a depth.
std::vector<std::int32_t> deletionOrder(const scan::Scanner& scanner,
                                        const std::vector<std::int32_t>& selection);

}  // namespace deleting
