#include "update/update_request.h"

#include "update/product_site.h"

#include <algorithm>

namespace update {

namespace {

char16_t lowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool equalsIgnoringCase(std::u16string_view text, std::u16string_view lowerWord) {
    if (text.size() != lowerWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (lowerAscii(text[i]) != lowerWord[i]) {
            return false;
        }
    }
    return true;
}

// A port of 1 to 5 decimal digits in 1..65535; an empty text is the scheme's port.
std::optional<std::uint16_t> parsePort(std::u16string_view text, std::uint16_t schemePort) {
    if (text.empty()) {
        return schemePort;
    }
    if (text.size() > 5) {
        return std::nullopt;
    }
    std::uint32_t port = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        port = port * 10 + static_cast<std::uint32_t>(c - u'0');
    }
    if (port == 0 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

}  // namespace

ServiceAddress defaultServiceAddress() {
    return ServiceAddress{true, kProductHost, 443, kServicePath};
}

std::optional<ServiceAddress> parseWebAddress(std::u16string_view address) {
    for (const char16_t c : address) {
        if (c <= u' ' || c == 0x7F) {
            return std::nullopt;
        }
    }
    const std::size_t schemeEnd = address.find(u"://");
    if (schemeEnd == std::u16string_view::npos) {
        return std::nullopt;
    }
    ServiceAddress result;
    const std::u16string_view scheme = address.substr(0, schemeEnd);
    if (equalsIgnoringCase(scheme, u"https")) {
        result.secure = true;
    } else if (equalsIgnoringCase(scheme, u"http")) {
        result.secure = false;
    } else {
        return std::nullopt;
    }
    const std::u16string_view rest = address.substr(schemeEnd + 3);
    const std::size_t authorityEnd = std::min(rest.find_first_of(u"/?#"), rest.size());
    std::u16string_view authority = rest.substr(0, authorityEnd);
    if (const std::size_t at = authority.rfind(u'@'); at != std::u16string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    // A bracketed IPv6 literal keeps its brackets, as the connection call expects them.
    std::size_t hostEnd = 0;
    if (!authority.empty() && authority.front() == u'[') {
        hostEnd = authority.find(u']');
        if (hostEnd == std::u16string_view::npos) {
            return std::nullopt;
        }
        ++hostEnd;
        if (hostEnd < authority.size() && authority[hostEnd] != u':') {
            return std::nullopt;
        }
    } else {
        hostEnd = std::min(authority.find(u':'), authority.size());
    }
    result.host = std::u16string(authority.substr(0, hostEnd));
    if (result.host.empty() || result.host == u"[]") {
        return std::nullopt;
    }
    const std::u16string_view portText =
        hostEnd < authority.size() ? authority.substr(hostEnd + 1) : std::u16string_view();
    const std::optional<std::uint16_t> port =
        parsePort(portText, result.secure ? std::uint16_t{443} : std::uint16_t{80});
    if (!port) {
        return std::nullopt;
    }
    result.port = *port;
    const std::u16string_view afterAuthority = rest.substr(authorityEnd);
    const std::size_t pathEnd =
        std::min(afterAuthority.find_first_of(u"?#"), afterAuthority.size());
    result.path = std::u16string(afterAuthority.substr(0, pathEnd));
    if (result.path.empty()) {
        result.path = u"/";
    }
    return result;
}

ServiceAddress serviceAddress(std::u16string_view overrideUrl) {
    if (!overrideUrl.empty()) {
        if (std::optional<ServiceAddress> parsed = parseWebAddress(overrideUrl)) {
            return *std::move(parsed);
        }
    }
    return defaultServiceAddress();
}

std::u16string updateQuery(std::u16string_view runningVersion) {
    return u"platform=windows&version=" + std::u16string(runningVersion);
}

std::u16string requestTarget(const ServiceAddress& service, std::u16string_view query) {
    return service.path + u"?" + std::u16string(query);
}

bool collectBody(std::string& body, std::string_view chunk) {
    body.append(chunk);
    return body.size() <= kBodyLimit;
}

}  // namespace update
