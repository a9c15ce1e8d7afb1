#include "update/version_service_win32.h"

#include "scan/text.h"
#include "scan/wide_text_win32.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <string>
#include <utility>

namespace update {

namespace {

// Closes a WinHTTP handle; declared in the order of opening, so they close in reverse.
class InternetHandle {
  public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_ != nullptr) {
            WinHttpCloseHandle(handle_);
        }
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    HINTERNET get() const { return handle_; }

  private:
    HINTERNET handle_;
};

std::u16string environmentVariable(const char16_t* name) {
    // The value can change between asking its size and reading it, so the read repeats until
    // it fits.
    std::wstring value(512, L'\0');
    for (;;) {
        const DWORD length = GetEnvironmentVariableW(
            scan::wide(std::u16string_view(name)), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            return {};
        }
        if (length < value.size()) {
            return scan::fromWide(value.data(), length);
        }
        value.assign(length, L'\0');
    }
}

}  // namespace

ServiceAddress serviceAddressFromEnvironment() {
    return serviceAddress(environmentVariable(kUpdateUrlVariable));
}

std::string fetchFrom(const ServiceAddress& service, std::u16string_view query,
                      std::u16string* failure) {
    std::string body;
    const auto failed = [&](std::u16string reason) {
        if (failure != nullptr) {
            *failure = std::move(reason);
        }
        return std::string();
    };
    const char16_t* const unreachable = u"the service could not be reached";
    const InternetHandle session(WinHttpOpen(scan::wide(std::u16string_view(kUserAgent)),
                                             WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                             WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        return failed(unreachable);
    }
    WinHttpSetTimeouts(session.get(), kTimeoutMilliseconds, kTimeoutMilliseconds,
                       kTimeoutMilliseconds, kTimeoutMilliseconds);
    const InternetHandle connection(
        WinHttpConnect(session.get(), scan::wide(service.host), service.port, 0));
    if (!connection) {
        return failed(unreachable);
    }
    const std::u16string target = requestTarget(service, query);
    const InternetHandle request(WinHttpOpenRequest(
        connection.get(), L"GET", scan::wide(target), nullptr, WINHTTP_NO_REFERER,
        WINHTTP_DEFAULT_ACCEPT_TYPES, service.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) {
        return failed(unreachable);
    }
    // The time-outs above leave the wait for the answer's headers to an option of its own,
    // which is not bounded by default on every system; it gets the same limit.
    DWORD responseTimeout = kTimeoutMilliseconds;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                     sizeof responseTimeout);
    WinHttpAddRequestHeaders(request.get(), scan::wide(std::u16string_view(kExtraHeader)),
                             static_cast<DWORD>(-1), WINHTTP_ADDREQ_FLAG_ADD);
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
        return failed(unreachable);
    }
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize,
                             WINHTTP_NO_HEADER_INDEX)) {
        return failed(u"the service gave no status");
    }
    if (status != 200) {
        return failed(u"the service answered with status " +
                      scan::fromUtf8(std::to_string(status)));
    }
    char buffer[kReadChunk];
    DWORD available = 0;
    while (WinHttpQueryDataAvailable(request.get(), &available) && available != 0) {
        DWORD read = 0;
        const DWORD wanted = std::min<DWORD>(available, sizeof buffer);
        if (!WinHttpReadData(request.get(), buffer, wanted, &read) || read == 0 ||
            !collectBody(body, std::string_view(buffer, read))) {
            break;
        }
    }
    return body;
}

std::string fetchLatest(std::u16string_view query) {
    return fetchFrom(serviceAddressFromEnvironment(), query);
}

}  // namespace update
