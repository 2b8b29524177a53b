// A small HTTP server on 127.0.0.1 at a port the system chooses, run in threads by the test that needs it.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/HttpRequestReader.h"

namespace tw::test {

/// Each connection gets one answer from `answer`, given the request's head (request line and headers)
/// and body; an empty answer means "accept and never answer" until the server stops.
class LoopbackHttpServer {
public:
    using Answer = std::function<std::string(const std::string& head, const std::string& body)>;

    explicit LoopbackHttpServer(Answer answer) : answer_(std::move(answer)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }
    ~LoopbackHttpServer() {
        stopping_ = true;
        acceptor_.join();
        for (auto& t : connections_) t.join();
        ::close(listener_);
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const { return port_; }
    /// "127.0.0.1:port", as a host argument or a proxy names it.
    std::string hostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }
    /// The heads of the requests received so far.
    std::vector<std::string> heads() const {
        std::lock_guard lock(mutex_);
        return heads_;
    }

    static std::string response(const std::string& status, const std::string& body, const std::string& headers = "") {
        return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + headers +
               "Connection: close\r\n\r\n" + body;
    }

    /// A port on 127.0.0.1 that nothing listens on: bound by the system, then released.
    static int closedPort() {
        int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(s);
        return ntohs(address.sin_port);
    }

private:
    bool waitReadable(int fd) {
        pollfd p{fd, POLLIN, 0};
        while (!stopping_) {
            if (::poll(&p, 1, 50) > 0) return true;
        }
        return false;
    }

    void acceptLoop() {
        while (waitReadable(listener_)) {
            int client = ::accept(listener_, nullptr, nullptr);
            if (client >= 0) connections_.emplace_back([this, client] { serve(client); });
        }
    }

    void serve(int client) {
        HttpRequestReader request;
        char chunk[4096];
        while (waitReadable(client)) {
            ssize_t got = ::recv(client, chunk, sizeof chunk, 0);
            if (got <= 0 || request.add(chunk, static_cast<size_t>(got))) break;
        }
        const std::string head = request.head(), body = request.body();
        {
            std::lock_guard lock(mutex_);
            heads_.push_back(head);
        }
        std::string reply = answer_(head, body);
        if (reply.empty()) {
            while (waitReadable(client) && ::recv(client, chunk, sizeof chunk, 0) > 0) {
            }
        } else {
            ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
        ::close(client);
    }

    Answer answer_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::vector<std::thread> connections_;
    mutable std::mutex mutex_;
    std::vector<std::string> heads_;
};

}  // namespace tw::test
