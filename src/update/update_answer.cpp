#include "update/update_answer.h"

#include "scan/text.h"
#include "update/json.h"
#include "update/product_site.h"
#include "update/update_request.h"

#include <cstdint>
#include <limits>

namespace update {

namespace {

// The leading integer of a part, read as atoi reads it but saturating instead of overflowing.
std::int64_t leadingInteger(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    constexpr std::int64_t kCap = std::numeric_limits<std::int64_t>::max() / 10 - 9;
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value >= kCap ? kCap : value * 10 + (text[at] - '0');
    }
    return negative ? -value : value;
}

// Cuts the next "."-separated part off `text`; an exhausted text gives empty parts.
std::string_view nextPart(std::string_view& text, bool& more) {
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
        const std::string_view part = text;
        text = {};
        more = false;
        return part;
    }
    const std::string_view part = text.substr(0, dot);
    text.remove_prefix(dot + 1);
    return part;
}

}  // namespace

bool versionNewer(std::string_view a, std::string_view b) {
    bool moreA = true;
    bool moreB = true;
    while (moreA || moreB) {
        const std::int64_t partA = moreA ? leadingInteger(nextPart(a, moreA)) : 0;
        const std::int64_t partB = moreB ? leadingInteger(nextPart(b, moreB)) : 0;
        if (partA != partB) {
            return partA > partB;
        }
    }
    return false;
}

std::u16string openableAddress(std::u16string_view address, bool httpAllowed) {
    const std::optional<ServiceAddress> parsed = parseWebAddress(address);
    if (parsed && (parsed->secure || httpAllowed)) {
        return std::u16string(address);
    }
    return kProductAddress;
}

bool answerNamesVersion(std::string_view body) {
    if (body.empty()) {
        return false;
    }
    const std::shared_ptr<revorara::JsonValue> root = revorara::readJsonDocument(body);
    return !revorara::stringMember(revorara::member(root.get(), "latest"), "version").empty();
}

std::optional<UpdateResult> readUpdateAnswer(std::string_view body,
                                             std::u16string_view runningVersion,
                                             bool serviceSecure) {
    if (body.empty()) {
        return std::nullopt;
    }
    const std::shared_ptr<revorara::JsonValue> root = revorara::readJsonDocument(body);
    const std::string versionText =
        revorara::stringMember(revorara::member(root.get(), "latest"), "version");
    if (versionText.empty()) {
        return std::nullopt;
    }
    const std::u16string newest = scan::fromUtf8(versionText);
    const revorara::JsonValue* said = revorara::member(root.get(), "updateAvailable");
    const bool available = said != nullptr && said->kind == revorara::JsonKind::Bool
                               ? said->boolean
                               : versionNewer(scan::toUtf8(newest), scan::toUtf8(runningVersion));
    if (!available) {
        return std::nullopt;
    }
    const std::u16string downloads =
        scan::fromUtf8(revorara::stringMember(root.get(), "downloads"));
    return UpdateResult{newest, openableAddress(downloads, !serviceSecure),
                        scan::fromUtf8(revorara::stringMember(root.get(), "currentDate"))};
}

}  // namespace update
