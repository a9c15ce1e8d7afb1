#include "cli/arguments.h"

#include <optional>

namespace cli {

namespace {

constexpr std::uint32_t kMaxTop = 1'000'000;
constexpr std::int32_t kMaxThreads = 1024;
constexpr int kMaxSide = 16384;

// A decimal number from `low` to `high` written with digits only.
std::optional<std::uint32_t> numberIn(std::u16string_view text, std::uint32_t low,
                                      std::uint32_t high) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char16_t unit : text) {
        if (unit < u'0' || unit > u'9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint32_t>(unit - u'0');
    }
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

struct Choice {
    const char16_t* word;
    std::uint32_t value;
};

constexpr Choice kMeasures[] = {{u"current", scan::MeasureCurrentSize},
                                {u"month", scan::MeasureAddedMonth},
                                {u"half-year", scan::MeasureAddedHalfYear},
                                {u"since-last", scan::MeasureAddedSinceScan}};
constexpr Choice kMethods[] = {{u"auto", 0}, {u"walk", 1}, {u"mft", 2}};

template <std::size_t N>
std::optional<std::uint32_t> choiceOf(std::u16string_view text, const Choice (&choices)[N]) {
    for (const Choice& choice : choices) {
        if (text == choice.word) {
            return choice.value;
        }
    }
    return std::nullopt;
}

// "WxH" with both sides from 1 to kMaxSide.
bool parseSize(std::u16string_view text, int& width, int& height) {
    const std::size_t cross = text.find_first_of(u"xX");
    if (cross == std::u16string_view::npos) {
        return false;
    }
    const auto w = numberIn(text.substr(0, cross), 1, kMaxSide);
    const auto h = numberIn(text.substr(cross + 1), 1, kMaxSide);
    if (!w || !h) {
        return false;
    }
    width = static_cast<int>(*w);
    height = static_cast<int>(*h);
    return true;
}

}  // namespace

ParsedArguments parseArguments(const std::vector<std::u16string>& arguments) {
    ParsedArguments parsed;
    CliOptions& options = parsed.options;
    std::vector<std::u16string> paths;
    bool sizeGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != u'-') {
            paths.push_back(argument);
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        std::u16string name = argument;
        std::optional<std::u16string> attached;
        if (const std::size_t equals = argument.find(u'='); equals != std::u16string::npos) {
            name = argument.substr(0, equals);
            attached = argument.substr(equals + 1);
        }
        if (name == u"--help" || name == u"-h" || name == u"--version" || name == u"--logical") {
            if (attached) {
                parsed.error = name + u" takes no value";
                return parsed;
            }
            if (name == u"--logical") {
                options.logical = true;
            } else if (name == u"--version") {
                options.version = true;
            } else {
                options.help = true;
            }
            continue;
        }
        const bool known = name == u"--measure" || name == u"--method" || name == u"--threads" ||
                           name == u"--top" || name == u"--csv" || name == u"--treemap" ||
                           name == u"--size";
        if (!known) {
            parsed.error = u"unknown option " + name;
            return parsed;
        }
        std::u16string value;
        if (attached) {
            value = *attached;
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            parsed.error = name + u" needs a value";
            return parsed;
        }
        if (name == u"--measure") {
            const auto measure = choiceOf(value, kMeasures);
            if (!measure) {
                parsed.error = u"--measure takes current, month, half-year or since-last";
                return parsed;
            }
            options.measure = *measure;
        } else if (name == u"--method") {
            const auto method = choiceOf(value, kMethods);
            if (!method) {
                parsed.error = u"--method takes auto, walk or mft";
                return parsed;
            }
            options.method = *method;
        } else if (name == u"--threads") {
            const auto threads = numberIn(value, 1, kMaxThreads);
            if (!threads) {
                parsed.error = u"--threads takes a number from 1 to 1024";
                return parsed;
            }
            options.threads = static_cast<std::int32_t>(*threads);
        } else if (name == u"--top") {
            const auto top = numberIn(value, 0, kMaxTop);
            if (!top) {
                parsed.error = u"--top takes a number from 0 to 1000000";
                return parsed;
            }
            options.top = *top;
        } else if (name == u"--size") {
            if (!parseSize(value, options.width, options.height)) {
                parsed.error = u"--size takes WIDTHxHEIGHT, each from 1 to 16384";
                return parsed;
            }
            sizeGiven = true;
        } else if (value.empty()) {
            parsed.error = name + u" needs a file name";
            return parsed;
        } else if (name == u"--csv") {
            options.csvFile = value;
        } else {
            options.treemapFile = value;
        }
    }
    if (options.help || options.version) {
        return parsed;
    }
    if (sizeGiven && options.treemapFile.empty()) {
        parsed.error = u"--size needs --treemap";
    } else if (paths.empty()) {
        parsed.error = u"no PATH to scan";
    } else if (paths.size() > 1) {
        parsed.error = u"only one PATH is taken, and " + paths[1] + u" is another";
    } else if (paths[0].empty()) {
        parsed.error = u"the PATH is empty";
    } else {
        options.root = paths[0];
    }
    return parsed;
}

std::int32_t listingThreadCap(unsigned hardwareThreads) {
    const std::uint64_t cap = std::uint64_t{hardwareThreads} * 4;
    return cap < 8 ? 8 : cap > kMaxThreads ? kMaxThreads : static_cast<std::int32_t>(cap);
}

std::u16string helpText() {
    return u"Usage: rozovizov-cli [options] PATH\n"
           u"Scans PATH and reports what takes its space: the totals, the largest items and the\n"
           u"file kinds. Progress goes to standard error while it is a terminal; Ctrl+C stops\n"
           u"the scan and reports what was found so far (exit status 130).\n"
           u"\n"
           u"Options:\n"
           u"  --measure current|month|half-year|since-last\n"
           u"                     what a size means: the current size (the default), what was\n"
           u"                     added in the last 30 or 182 days, or since the previous scan\n"
           u"  --logical          measure file lengths instead of bytes on disk\n"
           u"  --method auto|walk|mft\n"
           u"                     list folders, or read the master file table (auto: only for a\n"
           u"                     whole NTFS drive, when allowed)\n"
           u"  --threads N        listing threads (default: one per hardware thread); more than\n"
           u"                     four per hardware thread only slow the scan down and are\n"
           u"                     not started\n"
           u"  --top N            how many of the largest items to list (default 20)\n"
           u"  --csv FILE         write every item to FILE as CSV (UTF-8)\n"
           u"  --treemap FILE.png write the treemap picture to FILE.png\n"
           u"  --size WxH         the picture's size in pixels (default 1920x1080)\n"
           u"  --help             show this text\n"
           u"  --version          show the version\n"
           u"\n"
           u"Exit status: 0 when the scan completed, 1 when PATH cannot be scanned or a file\n"
           u"cannot be written, 2 for a wrong command line, 130 when stopped with Ctrl+C.\n"
           u"A stopped scan writes no CSV and no picture.\n";
}

}  // namespace cli
