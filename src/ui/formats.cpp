#include "ui/formats.h"

#include <array>
#include <cstdio>

namespace ui {

namespace {

// %.1f rounds from the exact double value, as the texts require. Its decimal point follows the C
// library's locale; the program never sets one, but should a host do so the point is put back.
std::u16string withOneDecimal(double value) {
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.1f", value);
    std::u16string text;
    for (const char* at = buffer.data(); *at != '\0'; ++at) {
        text.push_back(*at == ',' ? u'.' : static_cast<char16_t>(*at));
    }
    return text;
}

std::u16string fromAscii(const char* text) {
    std::u16string result;
    for (; *text != '\0'; ++text) {
        result.push_back(static_cast<char16_t>(*text));
    }
    return result;
}

}  // namespace

std::u16string sizeText(std::int64_t bytes) {
    static constexpr std::array<const char16_t*, 6> kUnits{u"B", u"kB", u"MB", u"GB", u"TB", u"PB"};
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while ((value >= 1000.0 || value <= -1000.0) && unit < kUnits.size() - 1) {
        value /= 1000.0;
        ++unit;
    }
    if (unit == 0) {
        std::array<char, 32> buffer{};
        std::snprintf(buffer.data(), buffer.size(), "%lld B", static_cast<long long>(bytes));
        return fromAscii(buffer.data());
    }
    return withOneDecimal(value) + u" " + kUnits[unit];
}

std::u16string countText(std::int64_t count) {
    const bool negative = count < 0;
    std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(count) + 1 : static_cast<std::uint64_t>(count);
    std::u16string reversed;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) {
            reversed.push_back(u',');
        }
        reversed.push_back(static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    if (negative) {
        reversed.push_back(u'-');
    }
    return {reversed.rbegin(), reversed.rend()};
}

std::u16string secondsText(double seconds) {
    return withOneDecimal(seconds) + u"s";
}

std::u16string countOf(std::int64_t count, std::u16string_view singular,
                       std::u16string_view plural) {
    return countText(count) + u" " + std::u16string(count == 1 ? singular : plural);
}

}  // namespace ui
