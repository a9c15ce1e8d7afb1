#pragma once

// A real HTTP server on 127.0.0.1 for the version service's tests: it serves one connection on
// a port of its own, records the request's bytes, and answers with a scripted response, or
// never answers at all. Windows only.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace update {

class LoopbackServer {
  public:
    // `response` is sent as it stands once the request has been read, and then the server closes
    // its side; with `thenStall` it keeps the connection open instead, without another word,
    // until the client gives up.
    explicit LoopbackServer(std::string response, bool thenStall = false);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by `path`.
    std::u16string address(std::u16string_view path) const;
    // The request's bytes up to and including the blank line that ends its headers; empty when
    // none arrived within a generous limit.
    std::string request();

  private:
    void serve();

    std::string response_;
    bool stall_;
    std::uintptr_t listener_;
    std::uint16_t port_ = 0;
    std::mutex mutex_;
    std::uintptr_t client_;  // guarded by mutex_
    std::condition_variable received_;
    bool haveRequest_ = false;
    std::string request_;
    std::thread thread_;
};

// A complete response with the given status line and body, which closes the connection.
std::string httpResponse(const std::string& status, const std::string& body);

}  // namespace update
