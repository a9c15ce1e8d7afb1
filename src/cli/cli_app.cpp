#include "cli/cli_app.h"

#include "app/status_text.h"
#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/csv_writer.h"
#include "cli/output_file.h"
#include "cli/report.h"
#include "cli/terminal_text.h"
#include "history/scan_history.h"
#include "scan/scan_controller.h"
#include "scan/text.h"
#include "scan/volumes.h"
#include "treemap/png_writer.h"
#include "treemap/treemap_render.h"
#include "ui/formats.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

#ifndef ROZOVIZOV_VERSION
#error "ROZOVIZOV_VERSION must be defined by the build"
#endif

namespace cli {

namespace {

constexpr auto kTick = std::chrono::milliseconds(100);
constexpr const char* kProgram = "rozovizov-cli";

void printOut(const std::u16string& text) {
    writeStandardOutput(scan::toUtf8(text));
}

void printError(const std::u16string& text) {
    writeStandardError(std::string(kProgram) + ": " + scan::toUtf8(text) + "\n");
}

// The controller's end notice and Ctrl+C, turned into a condition the main thread waits on
// between progress ticks.
class EndSignal : public scan::ScanNotifier {
  public:
    enum class Wake { Tick, Interrupted, Ended };

    void scanEnded(std::uint32_t) override {
        std::lock_guard guard(lock_);
        ended_ = true;
        changed_.notify_all();
    }
    // The command line ticks by itself in waitTick.
    void startTicking() override {}
    void stopTicking() override {}

    // Any thread: Ctrl+C was pressed.
    void interrupt() {
        std::lock_guard guard(lock_);
        interrupted_ = true;
        changed_.notify_all();
    }

    // Waits for the end, an interrupt not reported before, or the next tick.
    Wake wait() {
        std::unique_lock guard(lock_);
        changed_.wait_for(guard, kTick, [this] { return ended_ || interrupted_ != reported_; });
        if (ended_) {
            return Wake::Ended;
        }
        if (interrupted_ != reported_) {
            reported_ = interrupted_;
            return Wake::Interrupted;
        }
        return Wake::Tick;
    }

  private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool ended_ = false;
    bool interrupted_ = false;
    bool reported_ = false;
};

// The status line on standard error, rewritten in place.
class ProgressLine {
  public:
    explicit ProgressLine(bool enabled) : enabled_(enabled) {}

    void show(const std::u16string& text) {
        if (!enabled_) {
            return;
        }
        std::u16string line = u"\r" + text;
        if (text.size() < shown_) {
            line.append(shown_ - text.size(), u' ');
        }
        shown_ = text.size();
        writeStandardError(scan::toUtf8(line));
    }
    void clear() {
        if (enabled_ && shown_ > 0) {
            writeStandardError(scan::toUtf8(u"\r" + std::u16string(shown_, u' ') + u"\r"));
            shown_ = 0;
        }
    }

  private:
    bool enabled_;
    std::size_t shown_ = 0;
};

// The command line shows one measure, so it counts only that one: the columns of the other added
// measures stay zero and cost no memory. A cut-off at the last second of 2106 counts no file.
void countOnlyMeasure(scan::ScanOptions& options, scan::Measure measure) {
    constexpr std::uint32_t kNoFile = std::numeric_limits<std::uint32_t>::max();
    if (measure != scan::MeasureAddedMonth) {
        options.monthCutoff = kNoFile;
    }
    if (measure != scan::MeasureAddedHalfYear) {
        options.halfYearCutoff = kNoFile;
    }
    if (measure != scan::MeasureAddedSinceScan) {
        options.hasPreviousScan = false;
    }
}

// Runs the scan to its end, showing progress every tick and turning Ctrl+C into a stop request.
void scanToEnd(scan::ScanController& controller, EndSignal& signal, scan::Measure measure) {
    ProgressLine progress(standardErrorIsTerminal());
    installInterruptHandler([&signal] { signal.interrupt(); });
    progress.show(app::statusText(app::statusFactsOf(controller, measure)));
    for (;;) {
        const EndSignal::Wake wake = signal.wait();
        if (wake == EndSignal::Wake::Ended) {
            break;
        }
        if (wake == EndSignal::Wake::Interrupted) {
            controller.stopScan();
            continue;
        }
        controller.bumpGeneration();
        progress.show(app::statusText(app::statusFactsOf(controller, measure)));
    }
    controller.joinWorker();
    restoreInterruptDefault();
    progress.clear();
}

bool cannotWrite(const std::u16string& path, const std::u16string& reason) {
    printError(u"cannot write " + terminalSafe(path) + u": " + reason);
    return false;
}

bool writeCsvFile(const scan::NodeStore& store, const std::u16string& path) {
    std::u16string reason;
    OutputFile file;
    if (!file.open(path, reason)) {
        return cannotWrite(path, reason);
    }
    errno = 0;
    if (!writeCsv(store, scan::pathSeparator(), file.stream())) {
        return cannotWrite(path, writeFailureReason(errno));
    }
    return file.finish(reason) || cannotWrite(path, reason);
}

bool writeTreemapFile(const scan::NodeStore& store, const CliOptions& options) {
    const std::u16string& path = options.treemapFile;
    std::u16string reason;
    OutputFile file;
    if (!file.open(path, reason)) {
        return cannotWrite(path, reason);
    }
    treemap::TreemapOptions layout;
    layout.measure = static_cast<std::int32_t>(options.measure);
    layout.useLogicalSize = options.logical;
    const treemap::TreemapImage image = treemap::renderTreemap(
        store, 0, options.width, options.height, treemap::KindColours(), layout);
    std::vector<std::uint32_t> pixels = image.pixels;
    if (image.width == 0) {
        // Nothing to lay out (an empty root): an empty picture of the size asked for.
        pixels.assign(static_cast<std::size_t>(options.width) * options.height,
                      treemap::kBackground);
    }
    // The picture's writer opens the file by its name.
    const std::filesystem::path written = file.handOver();
    errno = 0;
    if (!treemap::writePng(written, pixels, options.width, options.height)) {
        return cannotWrite(path, writeFailureReason(errno));
    }
    return file.finish(reason) || cannotWrite(path, reason);
}

// Whether the two names, after making them absolute, are the same file.
bool namesSameFile(const std::u16string& a, const std::u16string& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    std::u16string first = scan::normalisePath(a);
    std::u16string second = scan::normalisePath(b);
    return scan::samePathText(first.empty() ? a : first, second.empty() ? b : second);
}

void printSummary(const scan::ScanController& controller, const CliOptions& options) {
    const scan::Scanner& scanner = *controller.scanner();
    const scan::NodeStore& store = scanner.store();
    const scan::ScanResult& result = controller.lastResult();
    std::u16string text = app::statusText(app::statusFactsOf(controller, options.measure)) + u"\n";
    if (result.unreadable > 0) {
        text += ui::countText(static_cast<std::int64_t>(result.unreadable)) +
                (result.unreadable == 1 ? u" folder could not be read\n"
                                        : u" folders could not be read\n");
    }
    if (controller.fileTableRefused() && !result.note.empty()) {
        text += terminalSafe(result.note) + u"\n";
    }
    text += u"\n";
    const auto items =
        largestItems(store, options.measure, options.logical, options.top, scan::pathSeparator());
    if (options.top > 0) {
        text += largestItemsText(store, items, options.measure, options.logical) + u"\n";
    }
    text += kindsText(scanner.kindTotals(), options.measure, options.logical);
    printOut(text);
}

}  // namespace

int runCli(const std::vector<std::u16string>& arguments) {
    prepareConsole();
    const ParsedArguments parsed = parseArguments(arguments);
    if (!parsed.error.empty()) {
        printError(terminalSafe(parsed.error) + u" (see rozovizov-cli --help)");
        return kExitUsage;
    }
    const CliOptions& options = parsed.options;
    if (options.help) {
        printOut(helpText());
        return kExitCompleted;
    }
    if (options.version) {
        printOut(scan::fromUtf8(std::string(kProgram) + " " + ROZOVIZOV_VERSION + "\n"));
        return kExitCompleted;
    }
    // Only the tests set this, to keep their scans out of the user's own history.
    if (const auto folder = environmentText("ROZOVIZOV_DATA_FOLDER")) {
        history::setDataFolderForTesting(*folder);
    }

    std::u16string root = scan::normalisePath(options.root);
    if (root.empty()) {
        root = options.root;
    }
    if (namesSameFile(options.csvFile, options.treemapFile)) {
        printError(u"--csv and --treemap name the same file (see rozovizov-cli --help)");
        return kExitUsage;
    }
    if (options.measure == scan::MeasureAddedSinceScan && history::lastScanTime(root) == 0) {
        printError(u"--measure since-last needs a previous scan of " + terminalSafe(root) +
                   u", and there is none");
        return kExitUsage;
    }

    // The signal outlives the controller, whose destructor still tells it the ticks stop.
    EndSignal signal;
    scan::ScanController controller;
    controller.setNotifier(&signal);
    controller.setOptionsAdjuster([&options](scan::ScanOptions& scanOptions) {
        scanOptions.method = options.method;
        // No user-interface thread to keep free: every hardware thread may list.
        const unsigned hardware = std::thread::hardware_concurrency();
        const std::int32_t wanted =
            options.threads > 0 ? options.threads : static_cast<std::int32_t>(hardware);
        scanOptions.threads = std::min(wanted, listingThreadCap(hardware));
        countOnlyMeasure(scanOptions, options.measure);
    });
    controller.startScan(options.root);
    scanToEnd(controller, signal, options.measure);

    const scan::Scanner* scanner = controller.scanner();
    if (scanner == nullptr || !controller.rootProblem().empty()) {
        printError(u"cannot scan " + terminalSafe(options.root) + u": " + controller.rootProblem());
        return kExitFailed;
    }
    printSummary(controller, options);
    if (controller.stopped()) {
        return kExitInterrupted;
    }
    bool written = true;
    if (!options.csvFile.empty()) {
        written = writeCsvFile(scanner->store(), options.csvFile) && written;
    }
    if (!options.treemapFile.empty()) {
        written = writeTreemapFile(scanner->store(), options) && written;
    }
    return written ? kExitCompleted : kExitFailed;
}

}  // namespace cli
