#pragma once

// Turns one root path into a filled node store, by reading the master file table where that is
// possible and allowed, and by a parallel folder walk otherwise. One Scanner serves one root:
// it is scanned once, then read by the views, and later used for removals and folder refreshes.

#include "scan/hard_links.h"
#include "scan/measures.h"
#include "scan/node_store.h"
#include "scan/scan_counters.h"
#include "scan/scan_options.h"
#include "scan/scan_result.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace scan {

class WorkStack;
class CommitQueue;

// What removeNode took out of the totals, and what restoreNode needs to put it back.
struct RemovalRecord {
    NodeId node = 0;
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
    std::int64_t size = 0;
    std::int64_t allocated = 0;
    std::int64_t addedMonth = 0;
    std::int64_t addedHalfYear = 0;
    std::int64_t addedSinceScan = 0;
    std::int32_t fileCount = 0;
    std::uint64_t subtreeNodes = 0;
    std::uint16_t kind = 0;
    bool isFolder = false;
    bool valid = false;
};

// The seven timing totals of a walk, in performance-counter ticks.
struct WalkTimings {
    std::int64_t path = 0;
    std::int64_t open = 0;
    std::int64_t list = 0;
    std::int64_t handOver = 0;
    std::int64_t worker = 0;
    std::int64_t commit = 0;
    std::int64_t committer = 0;
};

class Scanner {
  public:
    // Makes the empty store and makes sure the kind table exists.
    explicit Scanner(const ScanOptions& options);
    ~Scanner();
    Scanner(const Scanner&) = delete;
    Scanner& operator=(const Scanner&) = delete;

    // Scans `root` once, on the calling thread (which the scan's own threads join before it
    // returns). A root that does not exist gives at once a result with unreadable 1 and an empty
    // store. A scan that was not stopped and could read its root is recorded in the scan history.
    ScanResult scan(const std::u16string& root);
    // Asks a running scan to stop soon; safe from any thread at any time.
    void requestStop();
    // Fills a result from the counters; `startTicks` is when the scan or refresh began.
    ScanResult finishResult(std::int64_t startTicks);

    // Lists the folder `folder` and everything below it into the store (the folder walk).
    // The folder must have no children in the store (a new root, or an emptied folder).
    void walk(NodeId folder);

    // Read access for the views, also while a scan runs.
    const NodeStore& store() const { return *store_; }
    NodeStore& store() { return *store_; }
    // The store for readers that may outlive this Scanner, such as a treemap build.
    std::shared_ptr<const NodeStore> sharedStore() const { return store_; }
    const ScanOptions& options() const { return options_; }
    const std::u16string& rootPath() const { return rootPath_; }
    const std::u16string& longRootPath() const { return longRootPath_; }
    const ScanCounters& counters() const { return counters_; }
    const KindTotals& kindTotals() const { return kindTotals_; }
    std::uint64_t removedRows() const { return removedRows_.get(); }
    void addRemovedRows(std::uint64_t rows) { removedRows_.add(rows); }

    // Totals of a removal from the views' point of view; all run on the user-interface thread
    // while no scan or refresh writes the store (emptyFolder on a refresh's worker before its
    // walk). Rows of the subtree of `node` that are not removed, `node` included.
    std::uint64_t liveNodeCount(NodeId node) const;
    // Takes `node` and its subtree out of every total and counter, as if it were gone from the
    // disk: a file that keeps another name in the tree stays counted under that name. The record
    // puts it back. A node that is removed already, or not in the tree, gives an invalid record.
    RemovalRecord removeNode(NodeId node);
    // Puts back what removeNode took out, so that every total and counter is again what it would
    // be with the node in the tree. Ignores records that are not valid, and records whose node is
    // no longer in the tree (a refresh of a folder above it listed that folder anew). Restoring
    // in the reverse order of removal, with nothing between, returns every value bit for bit.
    void restoreNode(const RemovalRecord& record);
    // Takes a folder's children out of every total and counter and detaches them, before it is
    // scanned again; what the folder's own listing found (could not be opened, ended early) is
    // forgotten too, since the refresh lists it again.
    void emptyFolder(NodeId folder);
    // Whether `node` is in the tree: not removed itself, and within its parent's children all the
    // way up to the root. Rows of an emptied folder are not.
    bool isAttached(NodeId node) const;

    // For the scanners: the state they fill.
    ScanCounters& mutableCounters() { return counters_; }
    KindTotals& mutableKindTotals() { return kindTotals_; }
    bool stopRequested() const;
    // Clears a stop request left from earlier work, before a folder refresh begins. A scan
    // never clears it itself: a stop asked for at any moment of a scan must end it.
    void clearStopRequest();
    void setMethod(std::uint32_t method) { method_ = method; }
    // Records why the file table was not used (fileTableRefused and note).
    void setFileTableRefusal(std::u16string note);
    void clearFileTableRefusal();
    // Adds a walk's timing totals and the commit queue's statistics.
    void addWalkTimings(const WalkTimings& timings);
    void setCommitTimings(std::int64_t commit, std::int64_t committer);
    void setQueueStatistics(std::uint64_t peak, std::uint64_t producerWaits);
    // Registers (or, with nullptr, unregisters) the running walk's work stack so that
    // requestStop can wake it. Answers whether a stop was already requested. The stack is shared
    // so that a stop that took it just before the walk ended still holds a live object.
    bool registerWorkStack(std::shared_ptr<WorkStack> stack);
    // Which name of each hard-linked file is counted (the walk admits every file identifier).
    HardLinks& hardLinks() { return hardLinks_; }
    // The identifiers of the files counted under a name in the tree.
    const FileIdSet& fileIds() const { return hardLinks_.counted(); }
    // Records that the listing of `folder` counted `count` in unreadable, so that removing or
    // refreshing the folder takes exactly that back out.
    void noteUnreadable(NodeId folder, std::uint64_t count);

  private:
    // The rows of a subtree whose file identifiers need attention when it leaves or returns.
    struct SubtreeRows {
        std::vector<NodeId> counted;
        std::vector<NodeId> duplicates;
        std::vector<NodeId> unreadable;
        std::uint64_t visited = 0;
    };

    void writeRootRow(const std::u16string& path);
    // Adds (sign +1) or subtracts (-1) the counters and per-kind totals of the live rows below
    // `top` (and of `top` itself with `includeTop`), and collects the rows of `rows`.
    void applyRows(NodeId top, bool includeTop, int sign, SubtreeRows& rows);
    // Names that left the tree hand their files over to names still in it.
    void releaseLinks(const SubtreeRows& rows, bool forever);
    // Names that returned to the tree count their files once again.
    void reclaimLinks(const SubtreeRows& rows);
    // A duplicate that carries its file from now on, with the sizes it was listed with.
    void promote(NodeId row, const HardLinks::Listed& listed);
    // A counted name whose file is counted under another name from now on.
    void demote(NodeId row);

    ScanOptions options_;
    std::shared_ptr<NodeStore> store_;
    Counter removedRows_;
    std::u16string rootPath_;
    std::u16string longRootPath_;
    ScanCounters counters_;
    KindTotals kindTotals_;

    mutable std::mutex controlLock_;
    bool stopRequested_ = false;
    std::shared_ptr<WorkStack> registeredStack_;

    std::mutex statisticsLock_;
    WalkTimings timings_;
    std::uint64_t queuePeak_ = 0;
    std::uint64_t producerWaits_ = 0;

    std::uint32_t method_ = 1;
    bool fileTableRefused_ = false;
    std::u16string note_;
    HardLinks hardLinks_;
    // Folders whose listing counted in unreadable, with how much.
    std::unordered_map<NodeId, std::uint64_t> unreadableFolders_;
};

// The normalised form of a path: absolute, without trailing separators except on a root (C:\,
// /). Empty when the platform cannot resolve it.
std::u16string normalisePath(const std::u16string& path);
// The form of a path handed to the file system: \\?\C:\..., \\?\UNC\server\share on Windows;
// the path itself elsewhere.
std::u16string longPathOf(const std::u16string& path);

}  // namespace scan
