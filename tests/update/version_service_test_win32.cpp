#include "update/version_service_win32.h"

#include "loopback_server_win32.h"
#include "update/product_site.h"
#include "update/update_request.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace update {
namespace {

// Points the check at a server for the length of a test.
class ServiceOverride {
  public:
    explicit ServiceOverride(const std::u16string& address) {
        SetEnvironmentVariableW(L"ROZOVIZOV_UPDATE_URL",
                                reinterpret_cast<const wchar_t*>(address.c_str()));
    }
    ~ServiceOverride() { SetEnvironmentVariableW(L"ROZOVIZOV_UPDATE_URL", nullptr); }
    ServiceOverride(const ServiceOverride&) = delete;
    ServiceOverride& operator=(const ServiceOverride&) = delete;
};

struct Request {
    std::string line;
    std::map<std::string, std::string> headers;  // names in lower case
    bool complete = false;
};

Request parseRequest(const std::string& bytes) {
    Request request;
    const std::size_t end = bytes.find("\r\n\r\n");
    request.complete = end != std::string::npos && end + 4 == bytes.size();
    std::size_t at = bytes.find("\r\n");
    request.line = bytes.substr(0, at);
    while (at != std::string::npos && at < end) {
        const std::size_t next = bytes.find("\r\n", at + 2);
        const std::string header = bytes.substr(at + 2, next - at - 2);
        const std::size_t colon = header.find(':');
        std::string name = header.substr(0, colon);
        for (char& c : name) {
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        }
        const std::size_t value = header.find_first_not_of(' ', colon + 1);
        request.headers[name] = value == std::string::npos ? "" : header.substr(value);
        at = next;
    }
    return request;
}

TEST(VersionService, SendsOnlyTheQueryWithItsHeadersAndReadsTheAnswer) {
    const std::string answer = R"({"latest":{"version":"9.9.9"},"updateAvailable":true})";
    LoopbackServer server(httpResponse("200 OK", answer));
    const ServiceOverride service(server.address(u"/api/latest-version"));
    EXPECT_EQ(fetchLatest(updateQuery(u"1.2.3")), answer);

    const Request request = parseRequest(server.request());
    EXPECT_TRUE(request.complete) << "no body follows the headers";
    EXPECT_EQ(request.line, "GET /api/latest-version?platform=windows&version=1.2.3 HTTP/1.1");
    EXPECT_EQ(request.headers.count("user-agent"), 1u);
    EXPECT_EQ(request.headers.at("user-agent"), "Rozovizov");
    EXPECT_EQ(request.headers.at("cache-control"), "no-cache");
    EXPECT_EQ(request.headers.at("host"), "127.0.0.1:" + std::to_string(server.port()));
    // Nothing beyond what any HTTP client sends: no cookie, no referrer, no identity.
    const std::set<std::string> allowed = {"host",   "user-agent",      "cache-control",
                                           "accept", "accept-encoding", "connection",
                                           "pragma", "content-length"};
    for (const auto& [name, value] : request.headers) {
        EXPECT_EQ(allowed.count(name), 1u) << name << ": " << value;
    }
}

TEST(VersionService, AnyStatusButOkGivesNothing) {
    for (const char* status : {"404 Not Found", "500 Internal Server Error", "201 Created"}) {
        SCOPED_TRACE(status);
        LoopbackServer server(httpResponse(status, R"({"latest":{"version":"9.9.9"}})"));
        EXPECT_EQ(fetchFrom(*parseWebAddress(server.address(u"/v")), u"platform=windows"), "");
        EXPECT_EQ(parseRequest(server.request()).line, "GET /v?platform=windows HTTP/1.1");
    }
}

TEST(VersionService, ReadingStopsOnceTheBodyIsOverOneMebibyte) {
    struct Case {
        std::size_t served;
        std::size_t minimum;
        std::size_t maximum;
    };
    const Case cases[] = {
        {kBodyLimit, kBodyLimit, kBodyLimit},
        {kBodyLimit + 1, kBodyLimit + 1, kBodyLimit + 1},
        {3 * kBodyLimit, kBodyLimit + 1, kBodyLimit + kReadChunk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.served);
        LoopbackServer server(httpResponse("200 OK", std::string(c.served, 'x')));
        const std::string body = fetchFrom(*parseWebAddress(server.address(u"/")), u"q");
        EXPECT_GE(body.size(), c.minimum);
        EXPECT_LE(body.size(), c.maximum);
        EXPECT_EQ(body.find_first_not_of('x'), std::string::npos);
    }
}

TEST(VersionService, ABodyInManyPiecesIsReadWhole) {
    std::string response =
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
    std::string expected;
    for (int piece = 0; piece < 40; ++piece) {
        const std::string text(100 + piece * 37, static_cast<char>('a' + piece % 26));
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", text.size());
        response += size + text + "\r\n";
        expected += text;
    }
    response += "0\r\n\r\n";
    LoopbackServer server(response);
    EXPECT_EQ(fetchFrom(*parseWebAddress(server.address(u"/")), u"q"), expected);
}

TEST(VersionService, AServerThatNeverAnswersIsGivenUpOnAfterTheTimeOut) {
    LoopbackServer server("", true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetchFrom(*parseWebAddress(server.address(u"/")), u"q"), "");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(server.request().empty()) << "the request reached the server";
    EXPECT_GE(waited, std::chrono::milliseconds(kTimeoutMilliseconds - 1000));
    EXPECT_LT(waited, std::chrono::seconds(30));
}

TEST(VersionService, AnAnswerThatStallsIsGivenUpOnAfterTheTimeOut) {
    LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n{\"latest\"", true);
    const auto start = std::chrono::steady_clock::now();
    const std::string body = fetchFrom(*parseWebAddress(server.address(u"/")), u"q");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(kTimeoutMilliseconds - 1000));
    EXPECT_LT(waited, std::chrono::seconds(30));
    EXPECT_EQ(body, "{\"latest\"") << "what arrived before the stall, which no reading accepts";
}

TEST(VersionService, AnAbsentServerGivesNothing) {
    std::u16string address;
    {
        LoopbackServer closed(httpResponse("200 OK", "{}"));
        address = closed.address(u"/");
    }
    EXPECT_EQ(fetchFrom(*parseWebAddress(address), u"q"), "");
}

TEST(VersionService, TheEnvironmentNamesTheService) {
    SetEnvironmentVariableW(L"ROZOVIZOV_UPDATE_URL", nullptr);
    const ServiceAddress unset = serviceAddressFromEnvironment();
    EXPECT_TRUE(unset.secure);
    EXPECT_EQ(unset.host, kProductHost);
    EXPECT_EQ(unset.port, 443);
    EXPECT_EQ(unset.path, kServicePath);
    {
        const ServiceOverride notAnAddress(u"127.0.0.1:8080/check");
        EXPECT_EQ(serviceAddressFromEnvironment().host, kProductHost);
    }
    // An address longer than any fixed buffer is read whole.
    const std::u16string path = u"/" + std::u16string(700, u'p');
    LoopbackServer server(httpResponse("200 OK", "{}"));
    const ServiceOverride longAddress(server.address(path));
    EXPECT_EQ(serviceAddressFromEnvironment().path, path);
    EXPECT_EQ(fetchLatest(u"platform=windows&version=0.1.0"), "{}");
    EXPECT_EQ(parseRequest(server.request()).line, "GET " + std::string(path.begin(), path.end()) +
                                                       "?platform=windows&version=0.1.0 HTTP/1.1");
}

}  // namespace
}  // namespace update
