#pragma once

// A scratch folder per test with a tree to scan, an output folder and a history folder of its
// own, which rozovizov-cli is pointed at through ROZOVIZOV_DATA_FOLDER.

#include "cli_process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace cli::testing {

namespace fs = std::filesystem;

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        base_ = fs::temp_directory_path() /
                ("rozovizov-cli-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        root_ = base_ / "tree";
        out_ = base_ / "out";
        history_ = base_ / "history";
        fs::create_directories(root_);
        fs::create_directories(out_);
        fs::create_directories(history_);
        setEnvironment("ROZOVIZOV_DATA_FOLDER", history_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(base_, ignored);
    }

    void writeFile(const fs::path& relative, std::size_t bytes) {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary);
        const std::string block(bytes, 'x');
        file.write(block.data(), static_cast<std::streamsize>(block.size()));
    }

    CliRun cli(const std::vector<std::string>& arguments) { return runCli(arguments, out_); }

    std::string rootText() const { return utf8Of(root_); }
    std::string outText(const char* name) const { return utf8Of(out_ / name); }
    fs::path historyFile() const { return history_ / "scan-history.txt"; }

    fs::path base_;
    fs::path root_;
    fs::path out_;
    fs::path history_;
};

// The lines of a text, without their line ends.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Parses CSV as RFC 4180 writes it: CR LF line ends, fields in double quotes may hold commas,
// doubled quotes and line breaks. Answers false on a malformed text.
inline bool parseCsv(const std::string& text, std::vector<std::vector<std::string>>& rows) {
    rows.clear();
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    bool fieldStarted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field.push_back(c);
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field.push_back('"');
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            if (fieldStarted) {
                return false;
            }
            quoted = true;
            fieldStarted = true;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
            fieldStarted = false;
        } else if (c == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n') {
                return false;
            }
            row.push_back(field);
            rows.push_back(row);
            row.clear();
            field.clear();
            fieldStarted = false;
            ++i;
        } else {
            field.push_back(c);
            fieldStarted = true;
        }
    }
    return !quoted && row.empty() && field.empty();
}

}  // namespace cli::testing
