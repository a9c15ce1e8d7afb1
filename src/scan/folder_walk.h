#pragma once

// The parts of the parallel folder walk that its threads share: the stack of folders still to
// list, and the queue of listed folders waiting for the committing thread.

#include "scan/listing_batch.h"
#include "scan/node_store.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace scan {

class OpenFolder;

// A folder waiting to be listed, with the nearest folder above it that the walk holds open.
struct PendingFolder {
    NodeId folder = 0;
    // Null for the start folder, which is opened by the root's path.
    std::shared_ptr<const OpenFolder> anchor;
};

class WorkStack {
  public:
    explicit WorkStack(NodeId start) { folders_.push_back({start, nullptr}); }

    // Waits for a folder to list; false when the walk is over (folders left after a stop stay).
    bool take(PendingFolder& folder);
    // Takes a folder when one is waiting, without waiting; false when none is or the walk is over.
    bool tryTake(PendingFolder& folder);
    // Adds folders whose rows were just published, all to be opened from `anchor`; they count as
    // outstanding until committed.
    void push(const std::vector<NodeId>& folders, const std::shared_ptr<const OpenFolder>& anchor);
    // One outstanding folder's batch was committed; the walk is done when none are left.
    void finishOne();
    // Ends the walk at once: waiting threads leave, folders still waiting are never listed.
    void markDone();
    // True once the walk is done or stopped; a listing thread looks at it between two reads of
    // one folder, so a stop never waits for a large folder to be listed to its end.
    const std::atomic<bool>& over() const { return over_; }
    // Lets go of the folders still waiting after a stop, and of the open folders they hold.
    void releaseWaiting();

  private:
    std::mutex lock_;
    std::condition_variable wake_;
    std::vector<PendingFolder> folders_;
    std::uint64_t outstanding_ = 1;
    bool done_ = false;
    std::atomic<bool> over_{false};
};

// Listed folders wait here for the committing thread, which takes them in groups: waking it for
// every folder cost a wake-up and a context switch per folder, more than the commit itself.
// It is woken when kWakeBatches have gathered, when the oldest has waited kMaxDelay (so the views
// still see the walk progress), when a listing thread has nothing left to list (its next folders
// come from these batches), and when the walk ends.
class CommitQueue {
  public:
    static constexpr std::size_t kCapacity = 1024;
    static constexpr std::size_t kWakeBatches = 64;
    static constexpr std::chrono::milliseconds kMaxDelay{10};

    // Waits while the queue is full (unless it is done), then appends.
    void push(std::unique_ptr<ListingBatch> batch);
    // A listing thread is about to wait for folders: the batches waiting now are to be committed
    // without delay.
    void commitSoon();
    // Waits until the waiting batches are due (above), then moves them all, in order, into `out`,
    // which must be empty. False when the queue is done and empty.
    bool takeAll(std::vector<std::unique_ptr<ListingBatch>>& out);
    void markDone();
    std::uint64_t queuePeak();
    std::uint64_t producerWaits();

  private:
    std::mutex lock_;
    std::condition_variable wake_;
    std::vector<std::unique_ptr<ListingBatch>> batches_;
    std::chrono::steady_clock::time_point firstWaiting_;
    bool committerWaiting_ = false;
    bool hurry_ = false;
    bool done_ = false;
    std::uint64_t queuePeak_ = 0;
    std::uint64_t producerWaits_ = 0;
};

// Committed batches are kept for reuse, up to 256, so a steady walk allocates little. A batch that
// held a large folder gives its buffers back first: each kept batch grows to the largest folder
// it ever held, and a few hundred of them held megabytes that the next small folders never use.
class BatchFreeList {
  public:
    static constexpr std::size_t kMaxKept = 256;
    static constexpr std::size_t kKeptEntries = 64;

    std::unique_ptr<ListingBatch> take();
    void give(std::unique_ptr<ListingBatch> batch);

  private:
    std::mutex lock_;
    std::vector<std::unique_ptr<ListingBatch>> batches_;
};

// The number of listing threads for `requested` (the option) on a machine reporting `hardware`
// threads (0 when unknown): the option when positive, else two fewer than the hardware, 1 to 8.
unsigned listingThreadCount(std::int32_t requested, unsigned hardware);

}  // namespace scan
