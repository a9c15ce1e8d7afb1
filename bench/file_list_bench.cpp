// Measures the file list in its real window under Wine on a display, on synthetic stores shaped
// like a scan (each folder's children one contiguous range after it):
//   - opening a folder of 100,000 files in a store of about 1,000,000 rows (children gathered,
//     sorted and laid out as rows; then the first paint, which measures the new names);
//   - one progress tick while a scan appends: a new folder listing is published, the totals
//     above it grow, and the list refreshes and repaints with the large folder open;
//   - painting one screen of rows, at about 10,000 and about 1,000,000 rows.
//
//   file_list_bench [ROUNDS]

#include "app/window_classes.h"
#include "panes/file_list_pane_win32.h"
#include "scan/file_kinds.h"
#include "treemap/kind_colours.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double maximum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

std::u16string numberText(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

// A deterministic size in bytes for row `i`, spread over four orders of magnitude.
std::uint64_t sizeOf(std::uint64_t i) {
    std::uint64_t x = i * 0x9E3779B97F4A7C15ULL;
    x ^= x >> 29;
    return 100 + (x % 10'000) * (1 + (x >> 40) % 100);
}

// The root holds one large folder of `bigFiles` files and `folders` folders of `perFolder` files
// each. The last `pending` folders are listed later, one per tick, as a running scan would.
struct SyntheticScan {
    scan::NodeStore store;
    scan::NodeId big = 1;
    std::vector<scan::NodeId> pendingFolders;
    std::uint32_t perFolder = 0;

    void addFiles(scan::NodeId folder, std::uint32_t count, std::uint64_t seed) {
        const auto first = static_cast<scan::NodeId>(store.appendRows(count));
        std::uint64_t total = 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto row = static_cast<scan::NodeId>(first + i);
            const std::uint64_t size = sizeOf(seed + i);
            store.parent.set(row, folder);
            store.kind.set(row, static_cast<std::uint16_t>(4 + (seed + i) % 60));
            store.size.set(row, size);
            store.allocated.set(row, size);
            store.fileCount.set(row, 1);
            store.setName(row, u"file_" + numberText(seed + i) + u".dat");
            total += size;
        }
        store.firstChild.set(folder, first);
        store.childCount.set(folder, count);
        for (scan::NodeId at = folder;; at = store.parent.get(at)) {
            store.size.add(at, total);
            store.allocated.add(at, total);
            store.fileCount.add(at, count);
            if (at == 0) {
                break;
            }
        }
    }

    SyntheticScan(std::uint32_t bigFiles, std::uint32_t folders, std::uint32_t files,
                  std::uint32_t pending)
        : perFolder(files) {
        store.appendRows(1);
        store.flags.set(0, scan::FlagFolder);
        store.kind.set(0, scan::KindFolder);
        store.setName(0, u"Z:\\synthetic");
        const auto first = static_cast<scan::NodeId>(store.appendRows(1 + folders));
        store.firstChild.set(0, first);
        store.childCount.set(0, 1 + folders);
        for (scan::NodeId row = first; row <= first + folders; ++row) {
            store.parent.set(row, 0);
            store.flags.set(row, scan::FlagFolder);
            store.kind.set(row, scan::KindFolder);
            store.setName(row, u"folder_" + numberText(row));
        }
        big = first;
        addFiles(big, bigFiles, 0);
        for (scan::NodeId f = first + 1; f <= first + folders; ++f) {
            if (f > first + folders - pending) {
                pendingFolders.push_back(f);
            } else {
                addFiles(f, files, std::uint64_t{f} * 1000);
            }
        }
        store.publish();
    }

    // Lists the next pending folder, as the committing thread of a scan does.
    bool listNext() {
        if (pendingFolders.empty()) {
            return false;
        }
        const scan::NodeId folder = pendingFolders.back();
        pendingFolders.pop_back();
        addFiles(folder, perFolder, std::uint64_t{folder} * 1000);
        store.publish();
        return true;
    }
};

// A top-level window holding the list, as large as a maximised main window's list.
struct Host {
    HWND window = nullptr;
    panes::FileListPane list;
    treemap::KindColours colours;

    Host() {
        app::registerWindowClass(L"RozovizovBenchHost", &DefWindowProcW, nullptr);
        app::registerWindowClass(panes::kFileListClass, &ui::PaneWindow::windowProcedure,
                                 nullptr);
        window = CreateWindowExW(0, L"RozovizovBenchHost", L"file list", WS_OVERLAPPEDWINDOW, 0, 0,
                                 600, 1000, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(window, SW_SHOW);
        list.create(window, 311);
        RECT client{};
        GetClientRect(window, &client);
        MoveWindow(list.window(), 0, 0, client.right, client.bottom, TRUE);
        list.setColours(&colours);
    }
    ~Host() { DestroyWindow(window); }

    void paint() const {
        InvalidateRect(list.window(), nullptr, FALSE);
        UpdateWindow(list.window());
    }
    void pump() const {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
};

void expandAndTick(int rounds) {
    std::vector<double> expand;
    std::vector<double> expandPaint;
    std::vector<double> ticks;
    std::vector<double> refreshes;
    std::uint64_t rows = 0;
    for (int round = 0; round < rounds; ++round) {
        // 100,000 files in one folder, 900 folders of 1,000 files, 60 of them still to come.
        auto scan = std::make_unique<SyntheticScan>(100'000, 900, 1'000, 60);
        Host host;
        host.list.attach(&scan->store, u"Z:\\synthetic");
        host.list.refresh();
        host.paint();
        host.pump();
        rows = scan->store.rowCount();

        auto start = Clock::now();
        host.list.toggleExpanded(scan->big);
        expand.push_back(millisecondsSince(start));
        start = Clock::now();
        host.paint();
        expandPaint.push_back(millisecondsSince(start));

        for (std::int32_t generation = 1; scan->listNext(); ++generation) {
            start = Clock::now();
            host.list.setGeneration(generation);
            refreshes.push_back(millisecondsSince(start));
            host.paint();
            ticks.push_back(millisecondsSince(start));
        }
        host.pump();
    }
    std::printf("store of %llu rows, one folder of 100,000 files, %d rounds\n",
                static_cast<unsigned long long>(rows), rounds);
    std::printf("  open the folder (gather, sort, rows): median %.2f ms, max %.2f ms\n",
                median(expand), maximum(expand));
    std::printf(
        "  first paint after it (measures 100,000 new names): median %.2f ms, max %.2f ms\n",
        median(expandPaint), maximum(expandPaint));
    std::printf(
        "  one progress tick with it open (refresh and paint), %zu ticks: median %.2f ms, "
        "max %.2f ms\n",
        ticks.size(), median(ticks), maximum(ticks));
    std::printf("    of which the refresh alone: median %.2f ms, max %.2f ms\n", median(refreshes),
                maximum(refreshes));
}

void paintScreens(int rounds) {
    struct Shape {
        const char* name;
        std::uint32_t bigFiles;
        std::uint32_t folders;
        std::uint32_t files;
    };
    const Shape shapes[] = {{"10,000", 1'000, 90, 100}, {"1,000,000", 100'000, 900, 1'000}};
    for (const Shape& shape : shapes) {
        auto scan = std::make_unique<SyntheticScan>(shape.bigFiles, shape.folders, shape.files, 0);
        Host host;
        host.list.attach(&scan->store, u"Z:\\synthetic");
        host.list.refresh();
        host.list.toggleExpanded(scan->big);
        // The middle of the open folder, with a selected row on screen.
        host.list.reveal(scan->store.firstChild.get(scan->big) + shape.bigFiles / 2);
        host.paint();
        std::vector<double> paints;
        for (int i = 0; i < rounds * 50; ++i) {
            const auto start = Clock::now();
            host.paint();
            paints.push_back(millisecondsSince(start));
        }
        host.pump();
        std::printf(
            "paint one screen (%zu rows listed) in a store of %s rows: median %.3f ms, "
            "max %.3f ms\n",
            host.list.model().rows().size(), shape.name, median(paints), maximum(paints));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    scan::ensureKindTable();
    expandAndTick(rounds);
    paintScreens(rounds);
    return 0;
}
