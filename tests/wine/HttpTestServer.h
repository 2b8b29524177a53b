// A scripted HTTP server on 127.0.0.1 for the fetch library's Windows tests: answers, silence or a trickle.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/HttpRequestReader.h"

namespace tw::winetest {

struct Reply {
    enum Kind { Answer, Silent, Trickle };
    Kind kind = Answer;
    /// The whole answer; a trickle sends it a byte a second after `atOnce`.
    std::string text;
    std::string atOnce;
};

/// Each connection gets the reply the handler chooses for its request (head and body).
class HttpTestServer {
public:
    using Handler = std::function<Reply(const std::string& head, const std::string& body)>;

    explicit HttpTestServer(Handler handler) : handler_(std::move(handler)) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = loopback(0);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 16);
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }
    ~HttpTestServer() {
        SetEvent(stop_);
        closesocket(listener_);
        acceptor_.join();
        for (auto& t : connections_) t.join();
        CloseHandle(stop_);
        WSACleanup();
    }
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port() const { return port_; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> heads() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return heads_;
    }

    static std::string answer(const std::string& status, const std::string& body, const std::string& headers = "") {
        return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + headers +
               "Connection: close\r\n\r\n" + body;
    }
    /// A port on 127.0.0.1 that nothing listens on.
    static int closedPort() {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = loopback(0);
        bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        closesocket(s);
        return ntohs(address.sin_port);
    }

private:
    static sockaddr_in loopback(int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(port));
        return address;
    }

    void acceptLoop() {
        for (;;) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            connections_.emplace_back([this, client] { serve(client); });
        }
    }

    void serve(SOCKET client) {
        test::HttpRequestReader request;
        char chunk[4096];
        for (;;) {
            int got = recv(client, chunk, sizeof chunk, 0);
            if (got <= 0 || request.add(chunk, static_cast<size_t>(got))) break;
        }
        const std::string head = request.head(), body = request.body();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            heads_.push_back(head);
        }
        const Reply reply = handler_(head, body);
        if (reply.kind == Reply::Answer) {
            send(client, reply.text.data(), static_cast<int>(reply.text.size()), 0);
            shutdown(client, SD_SEND);
        } else if (reply.kind == Reply::Silent) {
            WaitForSingleObject(stop_, INFINITE);
        } else {
            send(client, reply.atOnce.data(), static_cast<int>(reply.atOnce.size()), 0);
            for (char c : reply.text) {
                if (send(client, &c, 1, 0) != 1 || WaitForSingleObject(stop_, 1000) == WAIT_OBJECT_0) break;
            }
        }
        closesocket(client);
    }

    Handler handler_;
    HANDLE stop_ = nullptr;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread acceptor_;
    std::vector<std::thread> connections_;
    mutable std::mutex mutex_;
    std::vector<std::string> heads_;
};

}  // namespace tw::winetest
