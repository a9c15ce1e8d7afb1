#include "update/json.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

namespace revorara {
namespace {

// A canonical spelling of a tree, so that one expected text states a whole reading: strings are
// quoted with every byte outside printable ASCII as \xNN, members in the map's order, numbers in
// their shortest round-trip form.
std::string describe(const JsonValue* value) {
    if (value == nullptr) {
        return "<none>";
    }
    switch (value->kind) {
        case JsonKind::Null:
            return "null";
        case JsonKind::Bool:
            return value->boolean ? "true" : "false";
        case JsonKind::Number: {
            char buffer[64];
            const auto result = std::to_chars(buffer, buffer + sizeof buffer, value->number);
            return std::string(buffer, result.ptr);
        }
        case JsonKind::String: {
            std::string out = "\"";
            for (const char c : value->text) {
                const auto byte = static_cast<unsigned char>(c);
                if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
                    out += escape;
                } else {
                    out += c;
                }
            }
            return out + "\"";
        }
        case JsonKind::Object: {
            std::string out = "{";
            for (const auto& [key, member] : value->members) {
                JsonValue keyValue;
                keyValue.kind = JsonKind::String;
                keyValue.text = key;
                out += (out.size() > 1 ? "," : "") + describe(&keyValue) + ":" +
                       describe(member.get());
            }
            return out + "}";
        }
        case JsonKind::Array: {
            std::string out = "[";
            for (const auto& element : value->elements) {
                out += (out.size() > 1 ? "," : "") + describe(element.get());
            }
            return out + "]";
        }
    }
    return "<bad kind>";
}

constexpr const char* kFails = "<fails>";

std::string read(std::string_view text) {
    JsonParser parser(text);
    const std::shared_ptr<JsonValue> root = parser.parseValue();
    return parser.failed() ? kFails : describe(root.get());
}

std::string nested(int depth, std::string_view open, std::string_view inner,
                   std::string_view close) {
    std::string text;
    for (int i = 0; i < depth; ++i) {
        text += open;
    }
    text += inner;
    for (int i = 0; i < depth; ++i) {
        text += close;
    }
    return text;
}

TEST(Json, ReadsValidTextsAndRejectsTheRest) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        // Structure and white space, which is exactly space, tab, line feed and return.
        {"{}", "{}"},
        {" \t\r\n{ \t\r\n} \n", "{}"},
        {"[]", "[]"},
        {"\n[\t \r]  ", "[]"},
        {"\f[]", kFails},
        {"[\v]", kFails},
        {"", kFails},
        {" \t\r\n", kFails},
        {R"({"a":1,"a":[2],"b":null})", R"({"a":[2],"b":null})"},
        {"{\"b\":1,\"\xC3\xA9\":2,\"ab\":3,\"a\":4,\"\":5}",
         R"({"":5,"a":4,"ab":3,"b":1,"\xC3\xA9":2})"},
        {R"([true,false,null,"",0,[{}]])", R"([true,false,null,"",0,[{}]])"},
        {R"( { "k" : "v" , "n" : -1 } )", R"({"k":"v","n":-1})"},
        // Separators.
        {"[1,]", kFails},
        {R"({"a":1,})", kFails},
        {"[1 2]", kFails},
        {R"({"a" 1})", kFails},
        {R"({"a":})", kFails},
        {R"({"a":1 "b":2})", kFails},
        {"{,}", kFails},
        {"[,1]", kFails},
        {"{1:2}", kFails},
        {"{'a':1}", kFails},
        {"]", kFails},
        // Truncation.
        {"[", kFails},
        {"{", kFails},
        {R"({"a")", kFails},
        {R"({"a":)", kFails},
        {R"({"a":1)", kFails},
        {"[1,", kFails},
        {R"("abc)", kFails},
        {R"("abc\)", kFails},
        // Text after the root value is not looked at.
        {"null x", "null"},
        {"{} }", "{}"},
        {"[1] [2]", "[1]"},
        {"1 2", "1"},
        {"\"a\"\"b\"", R"("a")"},
        // Keywords are matched as prefixes; what is not a keyword is read as a number.
        {"true", "true"},
        {"trueish", "true"},
        {"falsehood", "false"},
        {"nulll", "null"},
        {"nul", kFails},
        {"True", kFails},
        {"nan", "nan"},
        // Escapes.
        {R"("\b\f\n\r\t")", R"("\x08\x0C\x0A\x0D\x09")"},
        {R"("\/\\\"")", R"("/\x5C\x22")"},
        {R"("\q\'")", R"("q'")"},
        {"\"raw\ttab \x01 and \xC3\xA9\"", R"("raw\x09tab \x01 and \xC3\xA9")"},
        {R"("\u00e9")", R"("\xC3\xA9")"},
        {R"("\u20AC")", R"("\xE2\x82\xAC")"},
        {R"("\u0041\u007a")", R"("Az")"},
        {R"("\u0000")", R"("\x00")"},
        {R"("\u07FF\u0800\uFFFF")", R"("\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF")"},
        {R"("\ud83d\ude00")", R"("\xF0\x9F\x98\x80")"},
        {R"("\uDBFF\uDFFF")", R"("\xF4\x8F\xBF\xBF")"},
        {R"("\ud83d")", R"("\xEF\xBF\xBD")"},
        {R"("\ude00")", R"("\xEF\xBF\xBD")"},
        {R"("\ude00\ud83d")", R"("\xEF\xBF\xBD\xEF\xBF\xBD")"},
        {R"("\ud83dx")", R"("\xEF\xBF\xBDx")"},
        {R"("\ud83d\u0041")", R"("\xEF\xBF\xBDA")"},
        {R"("\ud83d\ud83d\ude00")", R"("\xEF\xBF\xBD\xF0\x9F\x98\x80")"},
        {R"("\ud83d\n")", R"("\xEF\xBF\xBD\x0A")"},
        {R"("\ud83d\u12")", kFails},
        {R"("\ud83d\u")", kFails},
        {R"("\u12")", kFails},
        {R"("\u123)", kFails},
        {R"("\u)", kFails},
        {R"("\u+123")", kFails},
        {R"("\u-123")", kFails},
        {R"("\u 123")", kFails},
        {R"("\u0x12")", kFails},
        {R"("\u12G4")", kFails},
        {R"("\u12 4")", kFails},
        // Numbers: strtod's forms, whatever the locale, and the limits of a double.
        {"1e3", "1000"},
        {"-0.5", "-0.5"},
        {"+7", "7"},
        {".5", "0.5"},
        {"-.5e1", "-5"},
        {"5.", "5"},
        {"1e", "1"},
        {"1e+", "1"},
        {"1.5,2", "1.5"},
        {"1,5", "1"},
        {"0x1A", "26"},
        {"-0x1p3", "-8"},
        {"0X.8P1", "1"},
        {"0x", "0"},
        {"0x.p1", "0"},
        {"inf", "inf"},
        {"-Infinity", "-inf"},
        {"INFINITE", "inf"},
        {"NaN(0x1)", "nan"},
        {"\v5", "5"},
        {"-", kFails},
        {"+", kFails},
        {"--1", kFails},
        {"+-1", kFails},
        {"- 1", kFails},
        {"e5", kFails},
        {".", kFails},
        {"-.", kFails},
        {"1.7976931348623157e308", "1.7976931348623157e+308"},
        {"1.8e308", "inf"},
        {"-1e400", "-inf"},
        {"1e99999999999999999999999999", "inf"},
        {"1" + std::string(400, '0'), "inf"},
        {"0x1p1024", "inf"},
        {"4.9406564584124654e-324", "5e-324"},
        {"2.2250738585072014e-308", "2.2250738585072014e-308"},
        {"1e-400", "0"},
        {"-1e-400", "-0"},
        {"0." + std::string(400, '0') + "1e-300", "0"},
        {"0." + std::string(400, '0') + "1e400", "0.1"},
        {"0x1p-1080", "0"},
        {"1e-99999999999999999999999999", "0"},
        {"0e99999999999999999999999999", "0"},
        {"[-0]", "[-0]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(read(c.text), c.expected);
    }
}

TEST(Json, NestingStopsAtThirtyTwoLevels) {
    EXPECT_EQ(read(nested(32, "[", "", "]")), nested(32, "[", "", "]"));
    EXPECT_EQ(read(nested(33, "[", "", "]")), kFails);
    EXPECT_EQ(read(nested(31, R"({"a":)", "1", "}")), nested(31, R"({"a":)", "1", "}"));
    EXPECT_EQ(read(nested(32, R"({"a":)", "1", "}")), kFails);
    // Too deep in one element of an otherwise shallow document still rejects the whole.
    EXPECT_EQ(read("[1," + nested(32, "[", "", "]") + ",2]"), kFails);
    // Far too deep, and too deep many times over, fails without exhausting the stack or the time.
    EXPECT_EQ(read(nested(1'000'000, "[", "", "]")), kFails);
    std::string wide = nested(32, "[", "", "");
    for (int i = 0; i < 100'000; ++i) {
        wide += "[],";
    }
    EXPECT_EQ(read(wide + "[]" + nested(32, "", "", "]")), kFails);
}

TEST(Json, EveryCutOfADocumentFails) {
    const std::string document = R"({"latest":{"version":"1.2.3","notes":["a\u00e9",1e3,true]},)"
                                 R"("updateAvailable":true,"downloads":"https://example.org/"})";
    ASSERT_NE(read(document), kFails);
    for (std::size_t length = 0; length < document.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_EQ(read(document.substr(0, length)), kFails);
    }
}

TEST(Json, NeverReadsPastTheEndOfTheText) {
    // Each text is a view of a longer buffer whose rest would change the answer if it were read.
    struct Case {
        std::string buffer;
        std::size_t length;
        std::string expected;
    };
    const Case cases[] = {
        {"123", 2, "12"},
        {"1e5", 2, "1"},
        {"0x1F", 3, "1"},
        {"-1.25", 4, "-1.2"},
        {"infinity", 5, "inf"},
        {"[1]", 2, kFails},
        {R"({"a":1})", 6, kFails},
        {R"("abc")", 4, kFails},
        {R"("\u1234")", 5, kFails},
        {R"("\ud83d\ude00")", 12, kFails},
        {R"("\ud83d\ude00")", 7, kFails},
        {"true", 3, kFails},
        {"null", 2, kFails},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buffer);
        EXPECT_EQ(read(std::string_view(c.buffer).substr(0, c.length)), c.expected);
    }
}

TEST(Json, TheParserLeavesWhatFollowsAValueUnread) {
    JsonParser parser(" trueish");
    const auto value = parser.parseValue();
    EXPECT_FALSE(parser.failed());
    EXPECT_EQ(describe(value.get()), "true");
    EXPECT_EQ(parser.position(), 5u);

    JsonParser strings(R"( "a\"b" , "c")");
    EXPECT_EQ(strings.parseString(), "a\"b");
    EXPECT_EQ(strings.position(), 7u);
    EXPECT_EQ(strings.parseString(), "") << "a comma is not a string";
    EXPECT_TRUE(strings.failed());
}

TEST(Json, NumbersReadAsStrtodReadsThemInTheCLocale) {
    // strtod itself is the reference, on a NUL-terminated copy in the "C" locale.
    const char* texts[] = {
        "0",         "-0",
        "+0.0e-0",   "12345678901234567890123",
        "0.1",       "1e-5",
        "1E+5",      "3.14e",
        ".e1",       "0x",
        "0xg",       "0x1.",
        "0x.1",      "0x1p-2",
        "0x1P+2",    "0x1pz",
        "0x1p",      "0xABCDEFp0",
        "in",        "infin",
        "infinityx", "nan(",
        "nan()",     "nan(a_1",
        "nan(a_1)",  "NAN",
        " \f1",      "\t-2",
        "1e0309",    "9e-325",
        "+.",        "-+1",
        "x",         "0x1p+-2",
        "0x.8p-+1",  "0x1P--2",
        "1e+-2",     " 0x.8888888888888888888p+-2.",
    };
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        char* end = nullptr;
        const double expected = std::strtod(text, &end);
        double value = -1;
        EXPECT_EQ(readNumberPrefix(text, value), static_cast<std::size_t>(end - text));
        if (end == text) {
            // Without a number the C libraries disagree even on the sign of the zero.
            EXPECT_EQ(value, 0);
        } else if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(value));
        } else {
            EXPECT_EQ(value, expected);
            EXPECT_EQ(std::signbit(value), std::signbit(expected));
        }
    }
    std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(Json, NumbersDoNotFollowTheLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    bool commaLocale = false;
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "German_Germany.1252"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            commaLocale = *std::localeconv()->decimal_point == ',';
            break;
        }
    }
    EXPECT_EQ(read("[1.5,2]"), "[1.5,2]");
    EXPECT_EQ(read("2,5"), "2");
    std::setlocale(LC_NUMERIC, previous.c_str());
    if (!commaLocale) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
}

TEST(Json, LookupsFindOnlyWhatIsThere) {
    const auto root = readJsonDocument(
        R"({"latest":{"version":"2.0"},"n":3,"empty":"","Version":"x","list":["a"]})");
    ASSERT_NE(root, nullptr);
    const JsonValue* latest = member(root.get(), "latest");
    ASSERT_NE(latest, nullptr);
    EXPECT_EQ(stringMember(latest, "version"), "2.0");
    EXPECT_EQ(stringMember(root.get(), "version"), "") << "keys compare exactly";
    EXPECT_EQ(stringMember(root.get(), "Version"), "x");
    EXPECT_EQ(stringMember(root.get(), "n"), "") << "a Number has no text";
    EXPECT_EQ(stringMember(root.get(), "latest"), "");
    EXPECT_EQ(stringMember(root.get(), "empty"), "");
    EXPECT_EQ(stringMember(root.get(), "missing"), "");
    EXPECT_EQ(member(root.get(), "vers"), nullptr);
    EXPECT_EQ(member(member(root.get(), "list"), "0"), nullptr) << "an Array has no members";
    EXPECT_EQ(member(nullptr, "latest"), nullptr);
    EXPECT_EQ(stringMember(nullptr, "latest"), "");

    EXPECT_EQ(readJsonDocument(R"({"latest":{"version":"2.0"})"), nullptr);
    EXPECT_EQ(readJsonDocument(""), nullptr);
    const auto trailing = readJsonDocument("\"x\" and more");
    ASSERT_NE(trailing, nullptr);
    EXPECT_EQ(trailing->text, "x");
}

}  // namespace
}  // namespace revorara
