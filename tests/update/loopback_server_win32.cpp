#include "loopback_server_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace update {

LoopbackServer::LoopbackServer(std::string response, bool thenStall)
    : response_(std::move(response)),
      stall_(thenStall),
      listener_(INVALID_SOCKET),
      client_(INVALID_SOCKET) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        throw std::runtime_error("WSAStartup failed");
    }
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (listener == INVALID_SOCKET ||
        bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("the loopback server could not listen");
    }
    listener_ = listener;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer() {
    // Closing the listener ends a wait for a connection; shutting the connection down ends a
    // wait for the client.
    closesocket(static_cast<SOCKET>(listener_));
    {
        const std::lock_guard lock(mutex_);
        if (client_ != INVALID_SOCKET) {
            shutdown(static_cast<SOCKET>(client_), SD_BOTH);
        }
    }
    thread_.join();
    WSACleanup();
}

std::u16string LoopbackServer::address(std::u16string_view path) const {
    const std::string port = std::to_string(port_);
    return u"http://127.0.0.1:" + std::u16string(port.begin(), port.end()) + std::u16string(path);
}

std::string LoopbackServer::request() {
    std::unique_lock lock(mutex_);
    received_.wait_for(lock, std::chrono::seconds(60), [this] { return haveRequest_; });
    return request_;
}

void LoopbackServer::serve() {
    const SOCKET client = accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
    if (client == INVALID_SOCKET) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        client_ = client;
    }
    std::string bytes;
    char buffer[4096];
    while (bytes.find("\r\n\r\n") == std::string::npos) {
        const int received = recv(client, buffer, sizeof buffer, 0);
        if (received <= 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(received));
    }
    {
        const std::lock_guard lock(mutex_);
        request_ = bytes;
        haveRequest_ = true;
    }
    received_.notify_all();
    std::size_t sent = 0;
    while (sent < response_.size()) {
        const int chunk = send(
            client, response_.data() + sent,
            static_cast<int>(std::min<std::size_t>(response_.size() - sent, std::size_t{1} << 16)),
            0);
        if (chunk <= 0) {
            break;
        }
        sent += static_cast<std::size_t>(chunk);
    }
    if (!stall_) {
        shutdown(client, SD_SEND);
    }
    // Waits for the client to close its side, which a stalling server's client does when its
    // time-out runs out.
    while (recv(client, buffer, sizeof buffer, 0) > 0) {
    }
    const std::lock_guard lock(mutex_);
    client_ = INVALID_SOCKET;
    closesocket(client);
}

std::string httpResponse(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace update
