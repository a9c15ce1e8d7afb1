#include "scan/folder_walk.h"

#include "scan/clock.h"
#include "scan/folder_lister.h"
#include "scan/measures.h"
#include "scan/scanner.h"
#include "scan/volumes.h"

#include <algorithm>
#include <thread>

namespace scan {

bool WorkStack::take(PendingFolder& folder) {
    std::unique_lock guard(lock_);
    wake_.wait(guard, [this] { return done_ || !folders_.empty(); });
    if (done_) {
        return false;
    }
    folder = std::move(folders_.back());
    folders_.pop_back();
    return true;
}

bool WorkStack::tryTake(PendingFolder& folder) {
    std::lock_guard guard(lock_);
    if (done_ || folders_.empty()) {
        return false;
    }
    folder = std::move(folders_.back());
    folders_.pop_back();
    return true;
}

void WorkStack::push(const std::vector<NodeId>& folders,
                     const std::shared_ptr<const OpenFolder>& anchor) {
    {
        std::lock_guard guard(lock_);
        outstanding_ += folders.size();
        for (const NodeId folder : folders) {
            folders_.push_back({folder, anchor});
        }
    }
    wake_.notify_all();
}

void WorkStack::finishOne() {
    std::unique_lock guard(lock_);
    if (--outstanding_ == 0) {
        done_ = true;
        over_.store(true, std::memory_order_relaxed);
        guard.unlock();
        wake_.notify_all();
    }
}

void WorkStack::markDone() {
    {
        std::lock_guard guard(lock_);
        done_ = true;
        over_.store(true, std::memory_order_relaxed);
    }
    wake_.notify_all();
}

void WorkStack::releaseWaiting() {
    std::vector<PendingFolder> waiting;
    {
        std::lock_guard guard(lock_);
        waiting.swap(folders_);
    }
}

void CommitQueue::push(std::unique_ptr<ListingBatch> batch) {
    bool wake = false;
    {
        std::unique_lock guard(lock_);
        while (batches_.size() >= kCapacity && !done_) {
            ++producerWaits_;
            wake_.wait(guard);
        }
        if (batches_.empty()) {
            firstWaiting_ = std::chrono::steady_clock::now();
        }
        batches_.push_back(std::move(batch));
        const std::uint64_t waiting = batches_.size();
        if (waiting > queuePeak_) {
            queuePeak_ = waiting;
        }
        // The first batch wakes the committing thread only so that it starts the clock of its
        // timed wait; the batches after it wake it once there are enough, or when it is hurried.
        wake = committerWaiting_ && (waiting == 1 || waiting >= kWakeBatches || hurry_);
    }
    if (wake) {
        wake_.notify_all();
    }
}

void CommitQueue::commitSoon() {
    bool wake = false;
    {
        std::lock_guard guard(lock_);
        hurry_ = true;
        wake = committerWaiting_ && !batches_.empty();
    }
    if (wake) {
        wake_.notify_all();
    }
}

bool CommitQueue::takeAll(std::vector<std::unique_ptr<ListingBatch>>& out) {
    {
        std::unique_lock guard(lock_);
        committerWaiting_ = true;
        wake_.wait(guard, [this] { return done_ || !batches_.empty(); });
        wake_.wait_until(guard, firstWaiting_ + kMaxDelay,
                         [this] { return done_ || hurry_ || batches_.size() >= kWakeBatches; });
        committerWaiting_ = false;
        if (batches_.empty()) {
            return false;
        }
        out.swap(batches_);
        hurry_ = false;
    }
    // Listing threads may be waiting for room.
    wake_.notify_all();
    return true;
}

void CommitQueue::markDone() {
    {
        std::lock_guard guard(lock_);
        done_ = true;
    }
    wake_.notify_all();
}

std::uint64_t CommitQueue::queuePeak() {
    std::lock_guard guard(lock_);
    return queuePeak_;
}

std::uint64_t CommitQueue::producerWaits() {
    std::lock_guard guard(lock_);
    return producerWaits_;
}

std::unique_ptr<ListingBatch> BatchFreeList::take() {
    {
        std::lock_guard guard(lock_);
        if (!batches_.empty()) {
            std::unique_ptr<ListingBatch> batch = std::move(batches_.back());
            batches_.pop_back();
            return batch;
        }
    }
    return std::make_unique<ListingBatch>();
}

void BatchFreeList::give(std::unique_ptr<ListingBatch> batch) {
    if (batch->entries.capacity() > kKeptEntries) {
        std::vector<BatchEntry>().swap(batch->entries);
        std::u16string().swap(batch->names);
        std::vector<std::uint32_t>().swap(batch->subfolders);
    }
    std::lock_guard guard(lock_);
    if (batches_.size() < kMaxKept) {
        batches_.push_back(std::move(batch));
    }
}

unsigned listingThreadCount(std::int32_t requested, unsigned hardware) {
    if (requested > 0) {
        return static_cast<unsigned>(requested);
    }
    if (hardware == 0) {
        return 2;
    }
    if (hardware <= 3) {
        return 1;
    }
    return hardware - 2 > 8 ? 8 : hardware - 2;
}

namespace {

// One walk: the threads and what they share. Lives on the stack of Scanner::walk.
class Walk {
  public:
    Walk(Scanner& scanner, NodeId start)
        : scanner_(scanner),
          stackOwner_(std::make_shared<WorkStack>(start)),
          stack_(*stackOwner_) {}

    void run();

  private:
    void listingThread();
    void committingThread();
    void commit(ListingBatch& batch);
    bool open(FolderLister& lister, const PendingFolder& pending,
              const std::vector<std::u16string_view>& names);
    std::shared_ptr<const OpenFolder> anchorBelow(FolderLister& lister, NodeId folder,
                                                  const std::shared_ptr<const OpenFolder>& above);

    Scanner& scanner_;
    std::shared_ptr<WorkStack> stackOwner_;
    WorkStack& stack_;
    CommitQueue queue_;
    BatchFreeList freeList_;
    std::vector<NodeId> newFolders_;
    // Folders held open for the folders below them, and how many may be.
    std::atomic<std::size_t> kept_{0};
    const std::size_t keptLimit_ = FolderLister::keptFolderLimit();
};

void Walk::run() {
    const bool stopAlready = scanner_.registerWorkStack(stackOwner_);
    if (stopAlready) {
        stack_.markDone();
    }
    const unsigned count =
        listingThreadCount(scanner_.options().threads, std::thread::hardware_concurrency());
    std::vector<std::thread> listers;
    listers.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        listers.emplace_back([this] { listingThread(); });
    }
    std::thread committer([this] { committingThread(); });
    for (std::thread& lister : listers) {
        lister.join();
    }
    queue_.markDone();
    committer.join();
    // The open folders count against this walk, which ends here.
    stack_.releaseWaiting();
    scanner_.store().publish();
    scanner_.setQueueStatistics(queue_.queuePeak(), queue_.producerWaits());
    scanner_.registerWorkStack(nullptr);
}

bool Walk::open(FolderLister& lister, const PendingFolder& pending,
                const std::vector<std::u16string_view>& names) {
    if (pending.anchor != nullptr) {
        return lister.openBelow(*pending.anchor, names);
    }
    // The start folder: the root as the user named it, then, for a folder scanned again on its
    // own, the names below the root, opened as every other folder is.
    if (!lister.openPath(scanner_.longRootPath())) {
        return false;
    }
    if (names.empty()) {
        return true;
    }
    const std::unique_ptr<OpenFolder> root = lister.keepOpen(0);
    return lister.openBelow(*root, names);
}

// Keeps the listed folder open for its subfolders while the walk holds fewer than its limit;
// beyond it they are opened from the folder above, a few names further. The start folder is
// always kept, so every folder has one to be opened from.
std::shared_ptr<const OpenFolder> Walk::anchorBelow(
    FolderLister& lister, NodeId folder, const std::shared_ptr<const OpenFolder>& above) {
    if (kept_.fetch_add(1, std::memory_order_relaxed) >= keptLimit_ && above != nullptr) {
        kept_.fetch_sub(1, std::memory_order_relaxed);
        return above;
    }
    return std::shared_ptr<const OpenFolder>(lister.keepOpen(folder).release(),
                                             [this](const OpenFolder* open) {
                                                 delete open;
                                                 kept_.fetch_sub(1, std::memory_order_relaxed);
                                             });
}

void Walk::listingThread() {
    const std::int64_t started = performanceTicks();
    const NodeStore& store = scanner_.store();
    FolderLister lister(scanner_.options());
    std::vector<std::u16string_view> names;
    WalkTimings timings;
    PendingFolder pending;
    for (;;) {
        if (!stack_.tryTake(pending)) {
            // The next folders come from the batches still waiting to be committed.
            queue_.commitSoon();
            if (!stack_.take(pending)) {
                break;
            }
        }
        const NodeId folder = pending.folder;
        std::unique_ptr<ListingBatch> batch = freeList_.take();
        batch->clear(folder);

        // The names from the open folder above down to this one, usually just its own.
        std::int64_t mark = performanceTicks();
        const NodeId from = pending.anchor != nullptr ? pending.anchor->row() : 0;
        names.clear();
        for (NodeId at = folder; at != from; at = store.parent.get(at)) {
            names.push_back(store.nameView(at));
        }
        std::reverse(names.begin(), names.end());
        std::int64_t now = performanceTicks();
        timings.path += now - mark;

        mark = now;
        const bool opened = open(lister, pending, names);
        now = performanceTicks();
        timings.open += now - mark;

        if (opened) {
            mark = now;
            lister.list(*batch, stack_.over());
            if (!batch->subfolders.empty()) {
                batch->anchor = anchorBelow(lister, folder, pending.anchor);
            }
            lister.close();
            now = performanceTicks();
            timings.list += now - mark;
        } else {
            batch->unreadable = 1;
            batch->unopened = true;
        }
        pending.anchor.reset();
        mark = now;
        queue_.push(std::move(batch));
        timings.handOver += performanceTicks() - mark;
    }
    timings.worker = performanceTicks() - started;
    scanner_.addWalkTimings(timings);
}

void Walk::committingThread() {
    const std::int64_t started = performanceTicks();
    std::int64_t commitTicks = 0;
    std::vector<std::unique_ptr<ListingBatch>> taken;
    while (queue_.takeAll(taken)) {
        for (std::unique_ptr<ListingBatch>& batch : taken) {
            const std::int64_t mark = performanceTicks();
            commit(*batch);
            commitTicks += performanceTicks() - mark;
            freeList_.give(std::move(batch));
        }
        taken.clear();
    }
    scanner_.setCommitTimings(commitTicks, performanceTicks() - started);
}

void Walk::commit(ListingBatch& batch) {
    NodeStore& store = scanner_.store();
    ScanCounters& counters = scanner_.mutableCounters();
    KindTotals& kinds = scanner_.mutableKindTotals();
    const ScanOptions& options = scanner_.options();
    const NodeId folder = batch.folder;

    counters.unreadable.add(static_cast<std::uint64_t>(batch.unreadable));
    scanner_.noteUnreadable(folder, static_cast<std::uint64_t>(batch.unreadable));
    counters.reads.add(batch.reads);
    if (batch.unopened) {
        store.flags.set(folder, static_cast<std::uint8_t>(store.flags.get(folder) | FlagUnopened));
    }
    const std::size_t n = batch.entries.size();
    if (n > 0) {
        const auto first = static_cast<NodeId>(store.appendRows(n));
        std::uint64_t size = 0, allocated = 0, files = 0, month = 0, halfYear = 0, sinceScan = 0;
        std::uint64_t dated = 0;
        for (std::size_t i = 0; i < n; ++i) {
            BatchEntry& entry = batch.entries[i];
            const NodeId row = first + static_cast<NodeId>(i);
            if (options.detectHardLinks && entry.fileId != 0 &&
                !scanner_.hardLinks().admit(entry.fileId, row,
                                            {static_cast<std::uint64_t>(entry.size),
                                             static_cast<std::uint64_t>(entry.allocated)})) {
                counters.duplicateLinks.add(1);
                counters.duplicateBytes.add(static_cast<std::uint64_t>(entry.allocated));
                entry.size = 0;
                entry.allocated = 0;
                entry.fileCount = 0;
                entry.flags |= FlagDuplicate;
            }
            store.setName(row, batch.nameOf(entry));
            store.parent.set(row, folder);
            store.kind.set(row, entry.kind);
            store.flags.set(row, entry.flags);
            const auto entrySize = static_cast<std::uint64_t>(entry.size);
            const auto entryAllocated = static_cast<std::uint64_t>(entry.allocated);
            store.size.set(row, entrySize);
            store.allocated.set(row, entryAllocated);
            store.fileCount.set(row, entry.fileCount);
            store.created.set(row, entry.created);
            const AddedValues added = addedValuesOf(options, entry.created, entryAllocated);
            setAddedValues(store, row, added);
            dated += entry.created != 0;
            // A further name of a file counted elsewhere is not a file of its kind again.
            if ((entry.flags & (FlagFolder | FlagDuplicate)) == 0) {
                kinds.add(entry.kind, +1, entryAllocated, entrySize, added.month, added.halfYear,
                          added.sinceScan);
            }
            size += entrySize;
            allocated += entryAllocated;
            files += entry.fileCount;
            month += added.month;
            halfYear += added.halfYear;
            sinceScan += added.sinceScan;
        }
        counters.datedItems.add(dated);
        counters.files.add(files);
        counters.folders.add(batch.subfolders.size());
        store.firstChild.set(folder, first);
        store.childCount.set(folder, static_cast<std::uint32_t>(n));
        for (NodeId at = folder;; at = store.parent.get(at)) {
            store.size.add(at, size);
            store.allocated.add(at, allocated);
            store.fileCount.add(at, static_cast<std::uint32_t>(files));
            store.addedMonth.add(at, month);
            store.addedHalfYear.add(at, halfYear);
            store.addedSinceScan.add(at, sinceScan);
            if (at == 0) {
                break;
            }
        }
        store.publish();
        if (!batch.subfolders.empty()) {
            newFolders_.clear();
            for (const std::uint32_t position : batch.subfolders) {
                newFolders_.push_back(first + position);
            }
            stack_.push(newFolders_, batch.anchor);
        }
    }
    batch.anchor.reset();
    stack_.finishOne();
}

}  // namespace

void Scanner::walk(NodeId folder) {
    Walk walk(*this, folder);
    walk.run();
}

}  // namespace scan
