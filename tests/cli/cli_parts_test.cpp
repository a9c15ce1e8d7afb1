// The front end's pure parts: the command line and the CSV texts.

#include "cli/arguments.h"
#include "cli/csv_writer.h"
#include "cli/terminal_text.h"
#include "scan/text.h"

#include <gtest/gtest.h>

namespace cli {
namespace {

ParsedArguments parse(std::initializer_list<const char*> words) {
    std::vector<std::u16string> arguments;
    for (const char* word : words) {
        arguments.push_back(scan::fromUtf8(word));
    }
    return parseArguments(arguments);
}

TEST(Arguments, OptionsTakeTheirValuesEitherWay) {
    ParsedArguments parsed =
        parse({"--measure", "half-year", "--method=mft", "--threads", "3", "--top=0", "--logical",
               "--csv", "a.csv", "--treemap=m.png", "--size", "640x480", "--", "--odd folder"});
    ASSERT_EQ(scan::toUtf8(parsed.error), "");
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.measure, scan::MeasureAddedHalfYear);
    EXPECT_EQ(o.method, 2u);
    EXPECT_EQ(o.threads, 3);
    EXPECT_EQ(o.top, 0u);
    EXPECT_TRUE(o.logical);
    EXPECT_EQ(scan::toUtf8(o.csvFile), "a.csv");
    EXPECT_EQ(scan::toUtf8(o.treemapFile), "m.png");
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(scan::toUtf8(o.root), "--odd folder") << "-- ends the options";

    parsed = parse({"/data"});
    EXPECT_EQ(parsed.options.measure, scan::MeasureCurrentSize);
    EXPECT_EQ(parsed.options.method, 0u);
    EXPECT_EQ(parsed.options.threads, 0) << "chosen from the hardware later";
    EXPECT_EQ(parsed.options.top, 20u);
    EXPECT_EQ(parsed.options.width, 1920);
    EXPECT_EQ(parsed.options.height, 1080);
    EXPECT_EQ(scan::toUtf8(parse({"-"}).options.root), "-") << "a lone dash is a path";
}

TEST(Arguments, EveryWordOfMeasureAndMethodMapsToItsNumber) {
    const std::pair<const char*, std::uint32_t> measures[] = {
        {"current", 0}, {"month", 1}, {"half-year", 2}, {"since-last", 3}};
    for (const auto& [word, value] : measures) {
        EXPECT_EQ(parse({"--measure", word, "p"}).options.measure, value) << word;
    }
    const std::pair<const char*, std::uint32_t> methods[] = {{"auto", 0}, {"walk", 1}, {"mft", 2}};
    for (const auto& [word, value] : methods) {
        EXPECT_EQ(parse({"--method", word, "p"}).options.method, value) << word;
    }
}

TEST(Arguments, MistakesAreNamed) {
    struct Case {
        std::initializer_list<const char*> words;
        const char* error;
    };
    const Case cases[] = {
        {{"--top", "-1", "p"}, "--top takes a number from 0 to 1000000"},
        {{"--top", "1000001", "p"}, "--top takes a number from 0 to 1000000"},
        {{"--threads", "99999999999", "p"}, "--threads takes a number from 1 to 1024"},
        {{"--size", "0x5", "--treemap", "m.png", "p"},
         "--size takes WIDTHxHEIGHT, each from 1 to 16384"},
        {{"--size", "16385x5", "--treemap", "m.png", "p"},
         "--size takes WIDTHxHEIGHT, each from 1 to 16384"},
        {{"--logical=yes", "p"}, "--logical takes no value"},
        {{"--csv=", "p"}, "--csv needs a file name"},
        {{"--treemap"}, "--treemap needs a value"},
        {{"-x", "p"}, "unknown option -x"},
        {{"a", "b"}, "only one PATH is taken, and b is another"},
        {{"a", "--top", "3", "b", "c"}, "only one PATH is taken, and b is another"},
        {{""}, "the PATH is empty"},
        {{}, "no PATH to scan"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(scan::toUtf8(parse(c.words).error), c.error);
    }
    EXPECT_EQ(scan::toUtf8(parse({"--help", "--bogus"}).error), "unknown option --bogus");
    EXPECT_TRUE(parse({"--version"}).options.version) << "needs no PATH";
}

TEST(Arguments, ListingThreadsStopAtFourPerHardwareThread) {
    const std::pair<unsigned, std::int32_t> caps[] = {{0, 8},  {1, 8},   {2, 8},
                                                      {3, 12}, {16, 64}, {1000, 1024}};
    for (const auto& [hardware, cap] : caps) {
        EXPECT_EQ(listingThreadCap(hardware), cap) << hardware;
    }
    EXPECT_EQ(parse({"--threads", "500", "p"}).options.threads, 500) << "lowered when it is used";
    EXPECT_NE(scan::toUtf8(helpText()).find("four per hardware thread"), std::string::npos);
}

TEST(TerminalText, ControlAndReorderingCharactersAreEscaped) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"plain/gr\u00f6\u00dfe name.txt",
         "plain/gr\xC3\xB6\xC3\x9F"
         "e name.txt"},
        {u"C:\\Users\\x", "C:\\Users\\x"},
        {u"a\x1b[2Jb", "a\\x1B[2Jb"},
        {u"line\nbreak\r", "line\\nbreak\\r"},
        {u"tab\there", "tab\\there"},
        {u"bell\a\x7f", "bell\\x07\\x7F"},
        {u"next\u0085line", "next\\x85line"},
        {u"\u202Etxt.exe", "\\u202Etxt.exe"},
        {u"\u2067isolate\u2069", "\\u2067isolate\\u2069"},
        {u"", ""},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(scan::toUtf8(terminalSafe(text)), expected);
    }
}

TEST(CsvTexts, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain name.txt", "plain name.txt"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
        {"", ""},
    };
    for (const auto& [field, expected] : cases) {
        std::string line = "x,";
        appendCsvField(line, field);
        EXPECT_EQ(line, std::string("x,") + expected);
    }
}

TEST(CsvTexts, TimesAreIsoUtcAndFlagsAreWords) {
    const std::pair<std::uint32_t, const char*> times[] = {
        {0, ""},
        {1, "1970-01-01T00:00:01Z"},
        {951'782'400, "2000-02-29T00:00:00Z"},
        {1'700'000'000, "2023-11-14T22:13:20Z"},
        {4'294'967'295u, "2106-02-07T06:28:15Z"},
    };
    for (const auto& [seconds, expected] : times) {
        EXPECT_EQ(isoTimeText(seconds), expected) << seconds;
    }
    EXPECT_EQ(flagWords(0), "");
    EXPECT_EQ(flagWords(scan::FlagFolder | scan::FlagUnfollowed | scan::FlagUnopened),
              "folder unfollowed unopened");
    EXPECT_EQ(flagWords(scan::FlagLink | scan::FlagDuplicate), "link duplicate");
    EXPECT_EQ(flagWords(scan::FlagRemoved), "");
}

}  // namespace
}  // namespace cli
