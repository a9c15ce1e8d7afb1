#pragma once

// What the update check sends: the service's address (which ROZOVIZOV_UPDATE_URL may replace),
// the request's target, headers and time-outs, and the cap on the answer's size. The transport
// itself is platform code; everything it decides is here.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace update {

struct ServiceAddress {
    bool secure = true;  // TLS
    std::u16string host;
    std::uint16_t port = 443;
    std::u16string path;  // starts with "/"; no query
};

inline constexpr char16_t kServicePath[] = u"/api/latest-version";
inline constexpr char16_t kUpdateUrlVariable[] = u"ROZOVIZOV_UPDATE_URL";
inline constexpr char16_t kUserAgent[] = u"Rozovizov";
inline constexpr char16_t kExtraHeader[] = u"Cache-Control: no-cache";
// For each of name resolution, connection, sending and receiving.
inline constexpr int kTimeoutMilliseconds = 8000;
// Reading stops once more than this has been collected.
inline constexpr std::size_t kBodyLimit = 0x100000;
inline constexpr std::size_t kReadChunk = 4096;

// The product's own service: its host, port 443, TLS.
ServiceAddress defaultServiceAddress();

// Splits an absolute "http://" or "https://" address (the scheme in any case) into its parts:
// user information is dropped, the port defaults to the scheme's, an empty path becomes "/", and
// the query and fragment are dropped. None when the text is not such an address: another
// scheme, no host, a port that is not 1 to 65535, or a space or control character anywhere.
std::optional<ServiceAddress> parseWebAddress(std::u16string_view address);

// The service to ask: the default, or the address in `overrideUrl` (the environment variable's
// value, empty when unset) when it parses.
ServiceAddress serviceAddress(std::u16string_view overrideUrl);

// "platform=windows&version=" and the running version, which is not escaped.
std::u16string updateQuery(std::u16string_view runningVersion);
// The request's target: the service's path, "?" and the query.
std::u16string requestTarget(const ServiceAddress& service, std::u16string_view query);

// Appends one chunk read from the answer to `body`; answers whether reading goes on, which it
// does not once the body holds more than kBodyLimit bytes.
bool collectBody(std::string& body, std::string_view chunk);

}  // namespace update
