// A DNS server on 127.0.0.1 for block-list tests: answers A questions for the zones it is given, on a thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/UdpSocket.h"

namespace tw::test {

class DnsTestServer {
public:
    enum class Zone {
        answers,    ///< listed names get 127.0.0.2, others "no such name" with an SOA
        silent,     ///< never answers
        malformed,  ///< answers with the right id and question and an answer record cut short
    };

    DnsTestServer();
    ~DnsTestServer();
    DnsTestServer(const DnsTestServer&) = delete;
    DnsTestServer& operator=(const DnsTestServer&) = delete;

    /// "127.0.0.1:PORT", as the engine's "dns_servers" option takes it.
    std::string address() const { return "127.0.0.1:" + std::to_string(socket_.port()); }

    void addZone(const std::string& zone, Zone kind = Zone::answers);
    /// Lists the dotted IPv4 `address` in `zone`.
    void list(const std::string& zone, const std::string& address);
    /// Every answer waits this long; answers to questions asked together still go out together.
    void setDelay(std::chrono::milliseconds delay) { delayMs_ = static_cast<int>(delay.count()); }
    /// The lifetime of a listing, and the SOA minimum that bounds a "not listed".
    void setTtl(uint32_t listed, uint32_t notListed) { listedTtl_ = listed, notListedTtl_ = notListed; }

    /// The names asked so far, in the order they came.
    std::vector<std::string> questions() const;
    void forgetQuestions();

private:
    struct Due {
        std::chrono::steady_clock::time_point at;
        std::vector<uint8_t> reply;
        UdpSocket::Peer to;
    };
    void serve();
    std::vector<uint8_t> replyTo(const uint8_t* query, int size, const std::string& name);

    UdpSocket socket_;
    mutable std::mutex mutex_;
    std::map<std::string, Zone> zones_;
    std::set<std::string> listed_;
    std::vector<std::string> questions_;
    std::atomic<int> delayMs_{0};
    std::atomic<uint32_t> listedTtl_{300}, notListedTtl_{300};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tw::test
