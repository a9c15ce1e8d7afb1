#include "scan/scan_controller.h"

#include "history/scan_history.h"
#include "scan/clock.h"
#include "scan/root_problem.h"

namespace scan {

namespace {

constexpr std::uint32_t kMonthSeconds = 2'592'000;      // 30 days
constexpr std::uint32_t kHalfYearSeconds = 15'724'800;  // 182 days

}  // namespace

ScanOptions scanOptionsAt(std::uint32_t now, std::uint32_t previousScan) {
    ScanOptions options;
    options.method = 0;
    options.threads = 0;
    options.detectHardLinks = true;
    options.compressedSizes = true;
    options.listingBufferBytes = 262'144;
    options.monthCutoff = now > kMonthSeconds ? now - kMonthSeconds : 0;
    options.halfYearCutoff = now > kHalfYearSeconds ? now - kHalfYearSeconds : 0;
    options.previousScan = previousScan;
    options.hasPreviousScan = previousScan != 0;
    return options;
}

ScanController::ScanController(Clock clock)
    : clock_(clock ? std::move(clock) : Clock(&currentUnixTime)) {}

ScanController::~ScanController() {
    discardScan();
}

void ScanController::startScan(const std::u16string& root) {
    discardScan();
    rootPath_ = normalisePath(root);
    if (rootPath_.empty()) {
        rootPath_ = root;
    }
    startTick_ = tickCountMilliseconds();
    elapsed_ = 0;
    volume_ = VolumeInfo{};
    volumeInfoOf(rootPath_, volume_);
    wholeVolume_ = isRootOf(volume_, rootPath_);

    previousScan_ = history::lastScanTime(rootPath_);
    ScanOptions options = scanOptionsAt(clock_(), previousScan_);
    if (adjuster_) {
        adjuster_(options);
    }
    scanner_ = std::make_unique<Scanner>(options);

    running_.exchange(true);
    stopped_ = false;
    fileTableRefused_ = false;
    rootProblem_.clear();
    generation_.fetch_add(1, std::memory_order_acq_rel);
    ++work_;
    worker_ = std::thread([this, scanner = scanner_.get(), path = rootPath_, work = work_] {
        finishWork(scanner->scan(path), work);
    });
    restartTimer();
}

void ScanController::refreshFolder(NodeId folder) {
    if (running() || !scanner_ || folder >= scanner_->store().publishedCount() ||
        !scanner_->store().hasFlag(folder, FlagFolder) || !scanner_->isAttached(folder)) {
        // A folder out of the tree (removed, or inside a removed or emptied folder) has had its
        // sums taken out of its ancestors already; emptying it again would take them twice.
        return;
    }
    joinWorker();
    // A stop that ended the scan must not end the refresh too.
    scanner_->clearStopRequest();
    startTick_ = tickCountMilliseconds();
    elapsed_ = 0;
    running_.exchange(true);
    stopped_ = false;
    rootProblem_.clear();
    generation_.fetch_add(1, std::memory_order_acq_rel);
    ++work_;
    worker_ = std::thread([this, scanner = scanner_.get(), folder, work = work_] {
        const std::int64_t start = performanceTicks();
        const std::uint64_t live = scanner->liveNodeCount(folder);
        scanner->addRemovedRows(live - 1);
        scanner->emptyFolder(folder);
        scanner->walk(folder);
        finishWork(scanner->finishResult(start), work);
    });
    restartTimer();
}

// On the worker: the fields first, running last, then the notice.
void ScanController::finishWork(const ScanResult& result, std::uint32_t work) {
    lastResult_ = result;
    elapsed_ = result.seconds;
    stopped_ = result.stopped;
    method_ = result.method;
    fileTableRefused_ = result.fileTableRefused;
    const NodeStore& store = scanner_->store();
    if (store.publishedCount() == 0 || store.hasFlag(0, FlagUnopened)) {
        rootProblem_ = unreachableReason(rootPath_);
    }
    generation_.fetch_add(1, std::memory_order_acq_rel);
    running_.exchange(false);
    if (notifier_ != nullptr) {
        notifier_->scanEnded(work);
    }
}

void ScanController::stopScan() {
    if (running() && scanner_) {
        scanner_->requestStop();
    }
}

void ScanController::discardScan() {
    if (scanner_) {
        scanner_->requestStop();
    }
    if (ticking_ && notifier_ != nullptr) {
        notifier_->stopTicking();
    }
    ticking_ = false;
    joinWorker();
    scanner_.reset();
    running_.exchange(false);
    stopped_ = false;
    rootProblem_.clear();
}

double ScanController::elapsedSeconds() const {
    const double elapsed = elapsed_.load();
    if (!running() && elapsed > 0) {
        return elapsed;
    }
    return static_cast<double>(tickCountMilliseconds() - startTick_) / 1000.0;
}

void ScanController::restartTimer() {
    if (notifier_ == nullptr) {
        return;
    }
    if (ticking_) {
        notifier_->stopTicking();
    }
    notifier_->startTicking();
    ticking_ = true;
}

void ScanController::joinWorker() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

}  // namespace scan
