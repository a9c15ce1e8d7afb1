#pragma once

// A unique temporary folder per test, removed afterwards, and helpers to read a scan back as
// sorted lines that two scans can be compared by.

#include "scan/scanner.h"
#include "scan/text.h"
#include "scan/volumes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace scan::testing {

namespace fs = std::filesystem;

class TempFolder : public ::testing::Test {
  public:
    void SetUp() override {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root_ = fs::temp_directory_path() /
                ("rozovizov-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        fs::create_directories(root_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root_, ignored);
    }

    // Writes `bytes` bytes to `relative` below the root, creating its folders.
    void writeFile(const fs::path& relative, std::size_t bytes) {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        const std::string block(4096, 'x');
        for (std::size_t left = bytes; left > 0;) {
            const std::size_t now = left < block.size() ? left : block.size();
            out.write(block.data(), static_cast<std::streamsize>(now));
            left -= now;
        }
    }

    std::u16string rootText() const {
        return std::u16string(reinterpret_cast<const char16_t*>(root_.u16string().c_str()));
    }

    fs::path root_;
};

inline ScanOptions optionsWithThreads(int threads) {
    ScanOptions options;
    options.threads = threads;
    return options;
}

// Every live row reachable from the root as "path|kind|flags|size|allocated|files", sorted.
inline std::vector<std::string> describe(const Scanner& scanner) {
    const NodeStore& store = scanner.store();
    const std::uint64_t published = store.publishedCount();
    std::vector<std::string> lines;
    std::vector<std::pair<NodeId, std::string>> stack{{0, ""}};
    while (!stack.empty()) {
        const auto [folder, prefix] = stack.back();
        stack.pop_back();
        const ChildRange children = publishedChildren(store, folder, published);
        for (NodeId row = children.begin; row < children.end; ++row) {
            if (store.hasFlag(row, FlagRemoved)) {
                continue;
            }
            const std::string path = prefix + "/" + toUtf8(store.nameOf(row));
            lines.push_back(path + "|" + std::to_string(store.kind.get(row)) + "|" +
                            std::to_string(store.flags.get(row)) + "|" +
                            std::to_string(store.size.get(row)) + "|" +
                            std::to_string(store.allocated.get(row)) + "|" +
                            std::to_string(store.fileCount.get(row)));
            if (store.hasFlag(row, FlagFolder)) {
                stack.emplace_back(row, path);
            }
        }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

}  // namespace scan::testing
