#pragma once

// Runs one scan or folder refresh at a time on a worker thread, owns the Scanner with its
// results, and tells its owner when work starts and ends. The views read the Scanner's store
// directly, also while the worker runs.

#include "scan/scanner.h"
#include "scan/volumes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>

namespace scan {

// The moments the controller reports. On Windows a window stands behind it (a posted WM_APP+1
// and timer 1); a command-line front end implements it directly.
class ScanNotifier {
  public:
    virtual ~ScanNotifier() = default;
    // The scan or refresh numbered `work` (the controller's `work()` when it started) has ended;
    // called on the worker thread, after running turned false. An owner that handles the end
    // later checks the number, so that the end of work it has since left does nothing.
    virtual void scanEnded(std::uint32_t work) = 0;
    // Starts (or restarts) the 100 ms progress tick; called on the owner's thread.
    virtual void startTicking() = 0;
    // Stops the progress tick.
    virtual void stopTicking() = 0;
};

// The options of a scan started at `now` (seconds since 1970) of a root last scanned at
// `previousScan` (0 for never).
ScanOptions scanOptionsAt(std::uint32_t now, std::uint32_t previousScan);

class ScanController {
  public:
    using Clock = std::function<std::uint32_t()>;

    // `clock` answers the current time in seconds since 1970; tests set their own.
    explicit ScanController(Clock clock = nullptr);
    // Discards the scan: stops and joins the worker first.
    ~ScanController();
    ScanController(const ScanController&) = delete;
    ScanController& operator=(const ScanController&) = delete;

    // Set once by the owner before the first scan; not owned. It must outlive the controller,
    // whose destruction still stops the ticking.
    void setNotifier(ScanNotifier* notifier) { notifier_ = notifier; }
    // Called by startScan on the options of each new scan, after the cut-offs and the previous
    // scan are filled in, so an owner can choose the method or the listing threads (the command
    // line does; the main window keeps the defaults). Runs on the owner's thread.
    using OptionsAdjuster = std::function<void(ScanOptions&)>;
    void setOptionsAdjuster(OptionsAdjuster adjuster) { adjuster_ = std::move(adjuster); }

    // Ends any previous scan, then scans `root` on a new worker with a new Scanner.
    void startScan(const std::u16string& root);
    // Scans one folder of the current results again. Only while not running, with a Scanner,
    // and for a row that is a folder still in the tree; anything else is ignored.
    void refreshFolder(NodeId folder);
    // Asks the running scan or refresh to stop; it still ends with one scanEnded.
    void stopScan();
    // Stops and joins any work and destroys the Scanner.
    void discardScan();
    // The duration of the last finished scan, or the time since the start while one runs.
    double elapsedSeconds() const;
    void restartTimer();
    void joinWorker();

    // Read by the owner's thread. The fields the worker writes at its end (stopped, method,
    // fileTableRefused) are meaningful once running() has turned false.
    bool running() const { return running_.load(std::memory_order_acquire); }
    bool stopped() const { return stopped_; }
    Scanner* scanner() const { return scanner_.get(); }
    const std::u16string& rootPath() const { return rootPath_; }
    std::uint32_t previousScan() const { return previousScan_; }
    // The number of the current (or last) scan or refresh, one more for each started.
    std::uint32_t work() const { return work_; }
    std::uint32_t generation() const { return generation_.load(std::memory_order_acquire); }
    // The owner bumps the generation on each progress tick while running, so views drop caches.
    void bumpGeneration() { generation_.fetch_add(1, std::memory_order_acq_rel); }
    const VolumeInfo& volume() const { return volume_; }
    bool wholeVolume() const { return wholeVolume_; }
    bool fileTableRefused() const { return fileTableRefused_; }
    std::uint32_t method() const { return method_; }
    // Why the last scan or refresh could not list the root ("it does not exist"); empty when it
    // could, and while work runs. A root it could not list leaves no rows or an empty root row,
    // which the views would otherwise show as a complete scan of nothing.
    const std::u16string& rootProblem() const { return rootProblem_; }
    // The full result of the last scan or refresh, for diagnostics and summaries.
    const ScanResult& lastResult() const { return lastResult_; }

  private:
    void finishWork(const ScanResult& result, std::uint32_t work);

    Clock clock_;
    ScanNotifier* notifier_ = nullptr;
    OptionsAdjuster adjuster_;
    std::unique_ptr<Scanner> scanner_;
    std::thread worker_;
    std::u16string rootPath_;
    std::atomic<bool> running_{false};
    bool stopped_ = false;
    std::uint32_t previousScan_ = 0;
    std::atomic<std::uint32_t> generation_{0};
    // Written only on the owner's thread, before a worker starts; each worker keeps its own.
    std::uint32_t work_ = 0;
    std::uint64_t startTick_ = 0;
    std::atomic<double> elapsed_{0};
    bool ticking_ = false;
    VolumeInfo volume_;
    bool wholeVolume_ = false;
    bool fileTableRefused_ = false;
    std::uint32_t method_ = 1;
    std::u16string rootProblem_;
    ScanResult lastResult_;
};

}  // namespace scan
