#include "update/update_texts.h"

#include "scan/text.h"
#include "update/product_site.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace update {

namespace {

std::u16string decimal(long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// The leading integer of a short field, as atoi reads it.
int fieldNumber(std::string_view field) {
    std::size_t at = 0;
    while (at < field.size() && (field[at] == ' ' || (field[at] >= '\t' && field[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < field.size() && (field[at] == '+' || field[at] == '-')) {
        negative = field[at] == '-';
        ++at;
    }
    int value = 0;
    for (; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at) {
        value = value * 10 + (field[at] - '0');
    }
    return negative ? -value : value;
}

}  // namespace

int daysSince(std::string_view date, std::time_t now) {
    if (date.size() < 10) {
        return -1;
    }
    std::tm day{};
    day.tm_year = fieldNumber(date.substr(0, 4)) - 1900;
    day.tm_mon = fieldNumber(date.substr(5, 2)) - 1;
    day.tm_mday = fieldNumber(date.substr(8, 2));
    day.tm_hour = 12;
    day.tm_isdst = 0;
    const std::time_t noon = std::mktime(&day);
    if (noon <= 0) {
        return -1;
    }
    const double seconds = std::difftime(now, noon);
    if (seconds <= 0) {
        return -1;
    }
    return static_cast<int>(seconds / 86400);
}

std::u16string ageText(int days) {
    if (days < 1) {
        return {};
    }
    if (days == 1) {
        return u"a day";
    }
    if (days < 45) {
        return decimal(days) + u" days";
    }
    const long months = std::lround(days / 30.44);
    if (months == 1) {
        return u"a month";
    }
    if (months < 18) {
        return decimal(months) + u" months";
    }
    const double years = days / 365.25;
    if (years < 1.5) {
        return u"a year";
    }
    return decimal(std::lround(years)) + u" years";
}

std::u16string updateMessage(const UpdateResult& result, std::time_t now) {
    std::u16string message = u"Version " + result.version + u" is available.";
    const std::u16string age = ageText(daysSince(scan::toUtf8(result.versionDate), now));
    if (!age.empty()) {
        message += u" Yours is " + age + u" old.";
    }
    return message;
}

std::u16string aboutTitle() {
    return u"About " + std::u16string(kProductName);
}

std::u16string aboutContent() {
    return u"Find out where your drive\u2019s space has gone. Scans a folder or a whole drive in "
           u"parallel and shows the results as they arrive, with a treemap of every file and "
           u"four measures of size \u2014 including what has only appeared recently.\n\n"
           u"Built by Zozadarizo Zuve \u00B7 " +
           std::u16string(kProductHost);
}

std::u16string aboutFooter(std::u16string_view runningVersion) {
    return u"Version " + std::u16string(runningVersion);
}

std::u16string aboutLinkText(std::u16string_view message) {
    return std::u16string(message) + u"\nOpens " + kProductHost + u" in your browser.";
}

std::u16string checkingMessage(std::u16string_view host) {
    return u"Checking " + std::u16string(host) + u" for a newer version\u2026";
}

std::u16string checkFailedMessage(std::u16string_view reason) {
    return u"Could not check for updates: " + std::u16string(reason);
}

std::u16string downloadQuestion(std::u16string_view message) {
    return std::u16string(message) + u"\n\nOpen the downloads page?";
}

std::u16string latestReleaseMessage(std::u16string_view runningVersion) {
    return u"Version " + std::u16string(runningVersion) + u" is the latest release.";
}

}  // namespace update
