#include "history/history_format.h"

#include <limits>

#include "scan/text.h"

namespace history {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void addLine(HistoryMap& map, std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
        return;
    }
    const std::uint32_t seconds = readNumber(line.substr(0, tab));
    std::u16string key = scan::fromUtf8(line.substr(tab + 1));
    if (seconds != 0 && !key.empty()) {
        map.insert_or_assign(std::move(key), seconds);
    }
}

}  // namespace

std::u16string lowerCaseAscii(std::u16string_view path) {
    std::u16string lower(path);
    for (char16_t& unit : lower) {
        if (unit >= u'A' && unit <= u'Z') {
            unit = static_cast<char16_t>(unit - u'A' + u'a');
        }
    }
    return lower;
}

bool isRecordable(std::u16string_view rootPath) {
    for (std::size_t at = 0; at < rootPath.size(); ++at) {
        const char16_t unit = rootPath[at];
        if (unit < 0x20 || (unit >= 0x7F && unit <= 0x9F)) {
            return false;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < rootPath.size() &&
            rootPath[at + 1] >= 0xDC00 && rootPath[at + 1] <= 0xDFFF) {
            ++at;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

std::uint32_t readNumber(std::string_view text) {
    constexpr std::uint64_t kMaximum = std::numeric_limits<std::uint32_t>::max();
    std::size_t at = 0;
    while (at < text.size() && isSpace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    std::uint64_t value = 0;
    for (; at < text.size() && isDigit(text[at]); ++at) {
        value = value * 10 + static_cast<std::uint64_t>(text[at] - '0');
        if (value > kMaximum) {
            value = kMaximum + 1;  // stays above the maximum without overflowing
        }
    }
    if (negative) {
        return 0;
    }
    return static_cast<std::uint32_t>(value > kMaximum ? kMaximum : value);
}

HistoryMap parseHistory(std::string_view bytes) {
    HistoryMap map;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        addLine(map, bytes.substr(0, end));
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    }
    return map;
}

std::string formatHistory(const HistoryMap& map) {
    std::string text;
    for (const auto& [key, seconds] : map) {
        text += std::to_string(seconds);
        text += '\t';
        text += scan::toUtf8(key);
        text += '\n';
    }
    return text;
}

}  // namespace history
