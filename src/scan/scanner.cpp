#include "scan/scanner.h"

#include "history/scan_history.h"
#include "scan/clock.h"
#include "scan/file_kinds.h"
#include "scan/file_table_reader.h"
#include "scan/folder_walk.h"
#include "scan/path_exists.h"

#include <utility>

namespace scan {

Scanner::Scanner(const ScanOptions& options)
    : options_(options),
      store_(std::make_shared<NodeStore>()),
      kindTotals_((ensureKindTable(), kindCount())) {}

Scanner::~Scanner() = default;

ScanResult Scanner::scan(const std::u16string& root) {
    const std::int64_t start = performanceTicks();
    std::u16string path = normalisePath(root);
    if (path.empty()) {
        path = root;
    }
    if (!pathExists(longPathOf(path))) {
        ScanResult result;
        result.unreadable = 1;
        result.method = 1;
        result.seconds = ticksToSeconds(performanceTicks() - start);
        return result;
    }
    rootPath_ = path;
    longRootPath_ = longPathOf(path);
    writeRootRow(path);

    ScanResult result;
    if (!readFileTable(*this, path, start, result)) {
        method_ = 1;
        walk(0);
        result = finishResult(start);
    }
    // A scan that could not read its root saw nothing, and must not become the previous scan
    // that the next one measures from.
    if (!result.stopped && !store_->hasFlag(0, FlagUnopened)) {
        history::recordScan(path);
    }
    return result;
}

void Scanner::writeRootRow(const std::u16string& path) {
    NodeStore& store = *store_;
    store.appendRows(1);
    store.setName(0, path);
    store.parent.set(0, 0);
    store.kind.set(0, KindFolder);
    store.flags.set(0, FlagFolder);
    store.publish();
    removedRows_.set(0);
}

void Scanner::requestStop() {
    std::shared_ptr<WorkStack> stack;
    {
        std::lock_guard guard(controlLock_);
        stopRequested_ = true;
        stack = registeredStack_;
    }
    if (stack != nullptr) {
        stack->markDone();
    }
}

bool Scanner::stopRequested() const {
    std::lock_guard guard(controlLock_);
    return stopRequested_;
}

void Scanner::clearStopRequest() {
    std::lock_guard guard(controlLock_);
    stopRequested_ = false;
}

bool Scanner::registerWorkStack(std::shared_ptr<WorkStack> stack) {
    std::lock_guard guard(controlLock_);
    registeredStack_ = std::move(stack);
    return stopRequested_;
}

void Scanner::setFileTableRefusal(std::u16string note) {
    fileTableRefused_ = true;
    note_ = std::move(note);
}

void Scanner::clearFileTableRefusal() {
    fileTableRefused_ = false;
    note_.clear();
}

void Scanner::addWalkTimings(const WalkTimings& timings) {
    std::lock_guard guard(statisticsLock_);
    timings_.path += timings.path;
    timings_.open += timings.open;
    timings_.list += timings.list;
    timings_.handOver += timings.handOver;
    timings_.worker += timings.worker;
}

void Scanner::setCommitTimings(std::int64_t commit, std::int64_t committer) {
    std::lock_guard guard(statisticsLock_);
    timings_.commit = commit;
    timings_.committer = committer;
}

void Scanner::setQueueStatistics(std::uint64_t peak, std::uint64_t producerWaits) {
    std::lock_guard guard(statisticsLock_);
    queuePeak_ = peak;
    producerWaits_ = producerWaits;
}

ScanResult Scanner::finishResult(std::int64_t startTicks) {
    ScanResult result;
    result.stopped = stopRequested();
    result.files = counters_.files.get();
    result.folders = counters_.folders.get();
    result.unreadable = counters_.unreadable.get();
    result.duplicateLinks = counters_.duplicateLinks.get();
    result.duplicateBytes = counters_.duplicateBytes.get();
    result.reads = counters_.reads.get();
    result.previousScan = options_.hasPreviousScan ? options_.previousScan : 0;
    result.datedItems = counters_.datedItems.get();
    {
        std::lock_guard guard(statisticsLock_);
        result.queuePeak = queuePeak_;
        result.producerWaits = producerWaits_;
        result.pathSeconds = ticksToSeconds(timings_.path);
        result.openSeconds = ticksToSeconds(timings_.open);
        result.listSeconds = ticksToSeconds(timings_.list);
        result.handOverSeconds = ticksToSeconds(timings_.handOver);
        result.workerSeconds = ticksToSeconds(timings_.worker);
        result.commitSeconds = ticksToSeconds(timings_.commit);
        result.committerSeconds = ticksToSeconds(timings_.committer);
    }
    result.seconds = ticksToSeconds(performanceTicks() - startTicks);
    result.method = method_;
    result.fileTableRefused = fileTableRefused_;
    result.note = note_;
    return result;
}

}  // namespace scan
