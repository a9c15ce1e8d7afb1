#include "cli/csv_writer.h"

#include "cli/live_nodes.h"
#include "scan/file_kinds.h"
#include "scan/text.h"

#include <array>

namespace cli {

namespace {

constexpr std::size_t kFlushBytes = 1 << 16;

// Days since 1970-01-01 to a civil date, valid for every unsigned 32-bit time.
void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = days / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

void appendNumber(std::string& line, std::uint64_t value) {
    std::array<char, 24> digits{};
    std::size_t at = digits.size();
    do {
        digits[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    line.append(digits.data() + at, digits.size() - at);
}

}  // namespace

void appendCsvField(std::string& line, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        line.append(field);
        return;
    }
    line.push_back('"');
    for (const char c : field) {
        if (c == '"') {
            line.push_back('"');
        }
        line.push_back(c);
    }
    line.push_back('"');
}

std::string isoTimeText(std::uint32_t seconds) {
    if (seconds == 0) {
        return {};
    }
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    civilFromDays(seconds / 86400, year, month, day);
    const std::uint32_t ofDay = seconds % 86400;
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04lld-%02u-%02uT%02u:%02u:%02uZ",
                  static_cast<long long>(year), month, day, ofDay / 3600, ofDay / 60 % 60,
                  ofDay % 60);
    return text.data();
}

std::string flagWords(std::uint8_t flags) {
    struct Word {
        scan::NodeFlag flag;
        const char* word;
    };
    constexpr Word kWords[] = {{scan::FlagFolder, "folder"},
                               {scan::FlagLink, "link"},
                               {scan::FlagUnfollowed, "unfollowed"},
                               {scan::FlagDuplicate, "duplicate"},
                               {scan::FlagUnopened, "unopened"}};
    std::string words;
    for (const Word& w : kWords) {
        if ((flags & w.flag) != 0) {
            if (!words.empty()) {
                words.push_back(' ');
            }
            words.append(w.word);
        }
    }
    return words;
}

bool writeCsv(const scan::NodeStore& store, char16_t separator, std::FILE* out) {
    std::string buffer = "path,kind,size,allocated,files,created,flags\r\n";
    bool good = true;
    const auto flush = [&] {
        if (good && !buffer.empty() &&
            std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size()) {
            good = false;
        }
        buffer.clear();
    };
    if (store.publishedCount() == 0) {
        flush();
        return good && std::fflush(out) == 0;
    }
    const std::u16string root = store.nameOf(0);
    visitLiveNodes(store, separator, [&](scan::NodeId row, std::u16string_view relative) {
        appendCsvField(buffer, scan::toUtf8(joinedPath(root, relative, separator)));
        buffer.push_back(',');
        appendCsvField(buffer, scan::toUtf8(scan::kindName(store.kind.get(row))));
        buffer.push_back(',');
        appendNumber(buffer, store.size.get(row));
        buffer.push_back(',');
        appendNumber(buffer, store.allocated.get(row));
        buffer.push_back(',');
        appendNumber(buffer, store.fileCount.get(row));
        buffer.push_back(',');
        buffer.append(isoTimeText(store.created.get(row)));
        buffer.push_back(',');
        buffer.append(flagWords(store.flags.get(row)));
        buffer.append("\r\n");
        if (buffer.size() >= kFlushBytes) {
            flush();
        }
    });
    flush();
    return good && std::fflush(out) == 0;
}

}  // namespace cli
