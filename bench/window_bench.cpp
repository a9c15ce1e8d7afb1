// Measures the main window as a user meets it, under Wine on a display (bench/window-vs-cli
// drives it):
//   window_bench scan PATH RESULT_FILE [unprobed]
//                                           one scan of PATH in the real main window, its user
//                                           interface probed from another thread (unless
//                                           `unprobed`); one line of figures goes to RESULT_FILE
//   window_bench headless PATH RESULT_FILE  the same scan with no window: the controller alone
//   window_bench compare PATH CLI ROUNDS    alternates an unprobed `scan`, the command line CLI
//                                           on PATH, a probed `scan` (for the answer times) and
//                                           `headless` (this program again) as child processes,
//                                           timed alike, and prints their figures side by side
//   window_bench picture FILES|PATH BUILDS  one picture built again and again, of a synthetic
//                                           store or of a scanned tree: what a build costs
//   window_bench hover                      the cost of one hover, mouse move to frame drawn, on
//                                           synthetic stores of 100,000 and 1,000,000 files

#include "app/main_window.h"
#include "history/scan_history.h"
#include "scan/folder_walk.h"
#include "scan/scan_controller.h"
#include "scan/scanner.h"
#include "synthetic_store.h"
#include "treemap/treemap_layout.h"
#include "treemap/treemap_view_win32.h"

#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

double megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / 1e6;
}

std::string utf8(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return out;
}

// Asks the window an empty question every 10 ms from its own thread and keeps how long each
// answer took: the time the user interface would keep a click waiting.
class Prober {
  public:
    explicit Prober(HWND window)
        : thread_([this, window] {
              while (!stop_.load()) {
                  const auto asked = Clock::now();
                  DWORD_PTR ignored = 0;
                  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
                  answers_.push_back(millisecondsSince(asked));
                  std::this_thread::sleep_until(asked + std::chrono::milliseconds(10));
              }
              done_.store(true);
              // Wakes the window's thread, which may be waiting for a message.
              PostMessageW(window, WM_NULL, 0, 0);
          }) {}
    // Stops the probing and answers the times, in milliseconds. `pump` handles the window's
    // messages until the last question has been answered, so that no question waits for a
    // thread that waits for the prober.
    template <typename Pump>
    std::vector<double> finish(const Pump& pump) {
        stop_.store(true);
        pump([this] { return done_.load(); });
        thread_.join();
        return answers_;
    }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::vector<double> answers_;
    std::thread thread_;
};

std::uint64_t peakWorkingSet(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(process, &counters, sizeof(counters)) == 0) {
        return 0;
    }
    return counters.PeakWorkingSetSize;
}

// A scan history of this process's own for its lifetime: a scan must not find, nor leave, a
// previous scan in the prefix's history.
class PrivateHistory {
  public:
    PrivateHistory()
        : folder_(std::filesystem::temp_directory_path() /
                  ("rozovizov-window-bench-" + std::to_string(GetCurrentProcessId()))) {
        std::filesystem::create_directories(folder_);
        history::setDataFolderForTesting(folder_.u16string());
    }
    ~PrivateHistory() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    PrivateHistory(const PrivateHistory&) = delete;
    PrivateHistory& operator=(const PrivateHistory&) = delete;

  private:
    std::filesystem::path folder_;
};

int scanMode(const std::wstring& path, const std::wstring& resultFile, bool probed) {
    const PrivateHistory history;
    settings::SettingsStore settings(u"Software\\RozovizovBench");

    app::MainWindow main(settings);
    if (!main.create(u"")) {
        return 1;
    }
    const auto pump = [&main](const auto& done) {
        MSG message{};
        while (!done() && GetMessageW(&message, nullptr, 0, 0) > 0) {
            main.processMessage(message);
        }
    };
    // The probe's questions pass through the same system services as the scan's own calls, so
    // the runs that time the scan go without it.
    std::optional<Prober> prober;
    if (probed) {
        prober.emplace(main.window());
    }
    const auto started = Clock::now();
    main.openScan(std::u16string(path.begin(), path.end()));
    std::uint32_t firstPictureGeneration = 0;
    double firstPicture = 0;
    pump([&] {
        if (firstPicture == 0 && main.treemapView()->model().picture() != nullptr) {
            firstPicture = millisecondsSince(started);
            firstPictureGeneration = main.treemapView()->schedule().generation();
        }
        return !main.controller().running() && main.statusText().starts_with(u"Scan ");
    });
    const double wall = millisecondsSince(started) / 1000;
    const std::vector<double> answers = prober ? prober->finish(pump) : std::vector<double>{0.0};

    const scan::NodeStore& store = main.controller().scanner()->store();
    // One picture of the whole tree built here, with the scan over: what a build costs when
    // nothing else runs.
    double quietBuild = 1e30;
    for (int build = 0; build < 3; ++build) {
        const auto buildStarted = Clock::now();
        const treemap::TreemapImage image = treemap::renderTreemap(
            store, 0, 1600, 1000, treemap::KindColours(), main.treemapView()->options());
        quietBuild = std::min(quietBuild, millisecondsSince(buildStarted));
    }
    std::ostringstream line;
    line << "scan_seconds=" << main.controller().lastResult().seconds << " wall_seconds=" << wall
         << " rows=" << store.publishedCount() << " files=" << store.fileCount.get(0)
         << " probes=" << answers.size() << " p50_ms=" << percentile(answers, 0.5)
         << " p99_ms=" << percentile(answers, 0.99)
         << " max_ms=" << *std::max_element(answers.begin(), answers.end())
         << " pictures=" << main.treemapView()->schedule().generation()
         << " quiet_build_ms=" << quietBuild
         << " build_ms=" << main.treemapView()->schedule().averageBuildSeconds() * 1000
         << " first_picture_ms=" << firstPicture << " first_generation=" << firstPictureGeneration
         << " store_mb=" << megabytes(store.memoryBytes())
         << " peak_mb=" << megabytes(peakWorkingSet(GetCurrentProcess()));
    std::ofstream(std::filesystem::path(resultFile)) << line.str() << "\n";

    PostMessageW(main.window(), WM_CLOSE, 0, 0);
    pump([] { return false; });
    return 0;
}

// The scan the window runs (the same controller, counting every measure), with no window, no
// pictures and no refresh: what the window's own work is measured against.
int headlessMode(const std::wstring& path, const std::wstring& resultFile) {
    const PrivateHistory history;
    scan::ScanController controller;
    controller.startScan(std::u16string(path.begin(), path.end()));
    controller.joinWorker();
    std::ofstream(std::filesystem::path(resultFile))
        << "scan_seconds=" << controller.lastResult().seconds
        << " peak_mb=" << megabytes(peakWorkingSet(GetCurrentProcess())) << "\n";
    return 0;
}

struct ChildRun {
    double seconds = 0;
    std::uint64_t peakBytes = 0;
    DWORD exitCode = 1;
};

// Runs a program to its end, timing it from its start and watching its memory meanwhile. Its
// output goes to the file `output`, or nowhere.
ChildRun runChild(const std::wstring& commandLine, const std::wstring& output = L"NUL") {
    std::wstring line = commandLine;
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    const HANDLE nowhere =
        CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                    CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
    PROCESS_INFORMATION process{};
    ChildRun run;
    const auto started = Clock::now();
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process) == 0) {
        std::fprintf(stderr, "cannot start %s\n", utf8(commandLine).c_str());
        CloseHandle(nowhere);
        return run;
    }
    while (WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT) {
        run.peakBytes = std::max(run.peakBytes, peakWorkingSet(process.hProcess));
    }
    run.seconds = millisecondsSince(started) / 1000;
    run.peakBytes = std::max(run.peakBytes, peakWorkingSet(process.hProcess));
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(nowhere);
    return run;
}

std::map<std::string, double> figuresOf(const std::filesystem::path& file) {
    std::map<std::string, double> figures;
    std::ifstream in(file);
    std::string pair;
    while (in >> pair) {
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos) {
            figures[pair.substr(0, equals)] = std::stod(pair.substr(equals + 1));
        }
    }
    return figures;
}

// The seconds at the end of the command line's closing status line ("Scan complete · … · 3.4s"),
// which its scanner measured as the window's scanner does; 0 when there is none.
double cliScanSeconds(const std::filesystem::path& output) {
    std::ifstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("Scan complete", 0) == 0 && !line.empty() && line.back() == 's') {
            const std::size_t space = line.rfind(' ');
            return std::stod(line.substr(space + 1, line.size() - space - 2));
        }
    }
    return 0;
}

double median(std::vector<double> values) {
    return percentile(std::move(values), 0.5);
}

int compareMode(const std::wstring& path, const std::wstring& cli, int rounds) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path scratch = std::filesystem::temp_directory_path();
    const std::string stem = "rozovizov-window-bench-" + std::to_string(GetCurrentProcessId());
    const std::filesystem::path result = scratch / (stem + ".txt");
    const std::filesystem::path cliOutput = scratch / (stem + "-cli.txt");
    // The command line lists with as many threads as the window does, so that only what the
    // window adds (the progress tick, the pictures, the painting) tells them apart.
    const unsigned threads = scan::listingThreadCount(0, std::thread::hardware_concurrency());

    std::vector<double> windowSeconds;
    std::vector<double> windowScanSeconds;
    std::vector<double> cliSeconds;
    std::vector<double> cliScanSecondsAll;
    std::vector<double> headlessScanSeconds;
    std::vector<double> p99;
    std::vector<double> worst;
    double windowPeak = 0;
    double cliPeak = 0;
    double storeMegabytes = 0;
    double pictures = 0;
    double files = 0;
    for (int round = 0; round < rounds; ++round) {
        const ChildRun window = runChild(L"\"" + std::wstring(self) + L"\" scan \"" + path +
                                         L"\" \"" + result.wstring() + L"\" unprobed");
        const std::map<std::string, double> figures = figuresOf(result);
        const ChildRun line = runChild(L"\"" + cli + L"\" --top 0 --method walk --threads " +
                                           std::to_wstring(threads) + L" \"" + path + L"\"",
                                       cliOutput.wstring());
        if (window.exitCode != 0 || line.exitCode != 0 || figures.empty()) {
            std::fprintf(stderr, "round %d failed (window %lu, command line %lu)\n", round,
                         window.exitCode, line.exitCode);
            return 1;
        }
        const ChildRun probed = runChild(L"\"" + std::wstring(self) + L"\" scan \"" + path +
                                         L"\" \"" + result.wstring() + L"\"");
        const std::map<std::string, double> answerFigures = figuresOf(result);
        if (probed.exitCode != 0 || answerFigures.empty()) {
            std::fprintf(stderr, "round %d: the probed scan failed\n", round);
            return 1;
        }
        const ChildRun headless = runChild(L"\"" + std::wstring(self) + L"\" headless \"" + path +
                                           L"\" \"" + result.wstring() + L"\"");
        const std::map<std::string, double> headlessFigures = figuresOf(result);
        if (headless.exitCode != 0 || headlessFigures.empty()) {
            std::fprintf(stderr, "round %d: the scan without a window failed\n", round);
            return 1;
        }
        headlessScanSeconds.push_back(headlessFigures.at("scan_seconds"));
        windowSeconds.push_back(window.seconds);
        windowScanSeconds.push_back(figures.at("scan_seconds"));
        cliSeconds.push_back(line.seconds);
        cliScanSecondsAll.push_back(cliScanSeconds(cliOutput));
        p99.push_back(answerFigures.at("p99_ms"));
        worst.push_back(answerFigures.at("max_ms"));
        windowPeak = std::max(windowPeak, megabytes(window.peakBytes));
        cliPeak = std::max(cliPeak, megabytes(line.peakBytes));
        storeMegabytes = figures.at("store_mb");
        pictures = figures.at("pictures");
        files = figures.at("files");
        std::printf(
            "round %d: window %.2f s (scan %.2f s, %g pictures of %.0f ms, quietly %.0f ms, p99 "
            "%.1f ms, worst %.1f ms), command line %.2f s (scan %.1f s), no window (scan %.2f "
            "s)\n",
            round + 1, window.seconds, figures.at("scan_seconds"), figures.at("pictures"),
            figures.at("build_ms"), figures.at("quiet_build_ms"), answerFigures.at("p99_ms"),
            answerFigures.at("max_ms"), line.seconds, cliScanSecondsAll.back(),
            headlessScanSeconds.back());
        std::fflush(stdout);
    }
    std::filesystem::remove(result);
    std::filesystem::remove(cliOutput);
    // The scans as their scanners measured them, and the whole processes from start to end.
    // Each round runs the window and the command line back to back, so the ratio within a round
    // compares them under the same state of the machine; its median is the verdict. The ratio of
    // the medians is shown beside it, but a slow moment in one column alone moves it.
    std::vector<double> roundRatios;
    for (std::size_t round = 0; round < windowScanSeconds.size(); ++round) {
        roundRatios.push_back(windowScanSeconds[round] / cliScanSecondsAll[round]);
    }
    const double ratio = median(roundRatios);
    std::printf("\n%.0f files, %u listing threads, %d rounds (medians)\n", files, threads, rounds);
    std::printf("  scan in the window  %.2f s   (%.0f pictures built meanwhile)\n",
                median(windowScanSeconds), pictures);
    std::printf("  command line scan   %.1f s\n", median(cliScanSecondsAll));
    std::printf("  ratio in a round    %.3f   target <= 1.15: %s   (ratio of the medians %.3f)\n",
                ratio, ratio <= 1.15 ? "met" : "MISSED",
                median(windowScanSeconds) / median(cliScanSecondsAll));
    std::vector<double> ownRatios;
    for (std::size_t round = 0; round < windowScanSeconds.size(); ++round) {
        ownRatios.push_back(windowScanSeconds[round] / headlessScanSeconds[round]);
    }
    const double ownRatio = median(ownRatios);
    std::printf("  same scan, no window %.2f s   (every measure counted, as in the window)\n",
                median(headlessScanSeconds));
    std::printf("  ratio to it, a round %.3f   target <= 1.15: %s\n", ownRatio,
                ownRatio <= 1.15 ? "met" : "MISSED");
    std::printf("  whole processes     window %.2f s, command line %.2f s (ratio %.3f)\n",
                median(windowSeconds), median(cliSeconds),
                median(windowSeconds) / median(cliSeconds));
    const double worstP99 = *std::max_element(p99.begin(), p99.end());
    const double worstAnswer = *std::max_element(worst.begin(), worst.end());
    std::printf("  answer p99          %.1f ms (worst round)   target < 30: %s\n", worstP99,
                worstP99 < 30 ? "met" : "MISSED");
    std::printf("  answer worst        %.1f ms   target < 150: %s\n", worstAnswer,
                worstAnswer < 150 ? "met" : "MISSED");
    std::printf("  peak working set    window %.0f MB, command line %.0f MB, store %.0f MB\n",
                windowPeak, cliPeak, storeMegabytes);
    return 0;
}

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// One hover: the mouse moves onto another item, the view hit-tests and repaints with the frame.
int hoverMode() {
    WNDCLASSEXW view{};
    view.cbSize = sizeof(view);
    view.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    view.lpfnWndProc = &treemap::TreemapView::windowProcedure;
    view.hInstance = GetModuleHandleW(nullptr);
    view.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    view.lpszClassName = treemap::kTreemapViewClass;
    RegisterClassExW(&view);
    WNDCLASSEXW host = view;
    host.lpfnWndProc = &hostProcedure;
    host.lpszClassName = L"RozovizovBenchHost";
    RegisterClassExW(&host);

    constexpr int kWidth = 1200;
    constexpr int kHeight = 800;
    treemap::KindColours colours;
    for (const std::uint64_t files : {std::uint64_t{100'000}, std::uint64_t{1'000'000}}) {
        const bench::SyntheticStore& synthetic = bench::syntheticStore(files);
        const HWND window =
            CreateWindowExW(0, L"RozovizovBenchHost", L"hover", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                            kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        treemap::TreemapView treemapView;
        treemapView.create(window, 312);
        treemapView.setColours(&colours);
        // The synthetic store lives for the whole process; the view only borrows it.
        treemapView.setStore(std::shared_ptr<const scan::NodeStore>(&synthetic.store,
                                                                    [](const scan::NodeStore*) {}));
        MoveWindow(treemapView.window(), 0, 0, kWidth, kHeight, TRUE);
        MSG message{};
        while (treemapView.model().picture() == nullptr &&
               GetMessageW(&message, nullptr, 0, 0) > 0) {
            DispatchMessageW(&message);
        }
        UpdateWindow(treemapView.window());

        std::vector<double> costs;
        std::uint32_t seed = 12345;
        while (costs.size() < 1000) {
            seed = seed * 1664525 + 1013904223;
            const int x = static_cast<int>(seed % kWidth);
            const int y = static_cast<int>((seed / kWidth) % kHeight);
            const std::int32_t before = treemapView.model().hoverItem();
            const auto start = Clock::now();
            SendMessageW(treemapView.window(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
            UpdateWindow(treemapView.window());
            GdiFlush();
            const double cost = millisecondsSince(start);
            if (treemapView.model().hoverItem() != before) {
                costs.push_back(cost);
            }
        }
        std::printf(
            "hover over %llu files (%zu items in the picture): median %.3f ms, p99 %.3f ms"
            "   target < 2 ms: %s\n",
            static_cast<unsigned long long>(files), treemapView.model().picture()->items.size(),
            median(costs), percentile(costs, 0.99), median(costs) < 2 ? "met" : "MISSED");
        std::fflush(stdout);
        DestroyWindow(window);
    }
    return 0;
}

}  // namespace

// Builds pictures one after another, as a scan's refreshes would, of a synthetic store of
// FILES files or of the tree at PATH scanned first, and prints the median time of one.
int pictureMode(const std::wstring& what, int builds) {
    std::unique_ptr<scan::Scanner> scanner;
    const scan::NodeStore* store = nullptr;
    if (!what.empty() && std::iswdigit(what[0])) {
        store = &bench::syntheticStore(std::stoull(what)).store;
    } else {
        scanner = std::make_unique<scan::Scanner>(scan::ScanOptions{});
        scanner->scan(std::u16string(what.begin(), what.end()));
        store = &scanner->store();
    }
    const treemap::KindColours colours;
    std::vector<double> times;
    std::size_t items = 0;
    treemap::TreemapImage image;
    for (int build = 0; build < builds; ++build) {
        const auto started = Clock::now();
        treemap::renderTreemapInto(image, *store, 0, 1600, 1000, colours, {});
        times.push_back(millisecondsSince(started));
        items = image.items.size();
    }
    std::vector<double> layoutTimes;
    std::vector<treemap::TreemapItem> laidOut;
    for (int build = 0; build < builds; ++build) {
        const auto started = Clock::now();
        treemap::layoutTreemapInto(laidOut, *store, 0, 1600, 1000, {});
        layoutTimes.push_back(millisecondsSince(started));
    }
    std::printf(
        "picture of %llu rows (%zu items) at 1600x1000: median %.1f ms over %d builds, "
        "of which the layout %.1f ms\n",
        static_cast<unsigned long long>(store->publishedCount()), items, median(times), builds,
        median(layoutTimes));
    return 0;
}

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args(arguments, arguments + count);
    LocalFree(arguments);
    if ((args.size() == 4 || (args.size() == 5 && args[4] == L"unprobed")) && args[1] == L"scan") {
        return scanMode(args[2], args[3], args.size() == 4);
    }
    if (args.size() == 5 && args[1] == L"compare") {
        return compareMode(args[2], args[3], std::stoi(args[4]));
    }
    if (args.size() == 4 && args[1] == L"headless") {
        return headlessMode(args[2], args[3]);
    }
    if (args.size() == 4 && args[1] == L"picture") {
        return pictureMode(args[2], std::stoi(args[3]));
    }
    if (args.size() == 2 && args[1] == L"hover") {
        return hoverMode();
    }
    std::fprintf(stderr,
                 "usage: window_bench scan PATH RESULT_FILE [unprobed] | headless PATH RESULT_FILE "
                 "| compare PATH CLI ROUNDS | hover | "
                 "picture FILES|PATH BUILDS\n");
    return 2;
}
