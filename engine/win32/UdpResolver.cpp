// Block-list questions on Windows: the engine's own UDP client over Winsock, bounded by the caller's deadline.
//
// DnsQuery_A takes no deadline, and running it on worker threads with a bounded wait would leave a
// blocked thread in the mail client's process after every time-out, piling up behind a dead server.
// One non-blocking socket waited on with select() sends every question at once, ends exactly at the
// deadline and leaves nothing behind. The servers are the system's (GetNetworkParams, IPv4) unless the
// "dns_servers" option names others.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "DnsResolver.h"
#include "TextUtil.h"

namespace tarn::engine {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A question unanswered for a second goes again, to the next server.
constexpr auto kResend = 1000ms;

/// "address[:port]" entries; with `strict` one unreadable entry makes the whole list unreadable.
std::vector<sockaddr_in> serversOf(std::string_view list, bool strict) {
    std::vector<sockaddr_in> servers;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = std::min(list.find(',', start), list.size());
        std::string entry(trim(list.substr(start, comma - start)));
        start = comma + 1;
        if (entry.empty()) continue;
        unsigned long port = 53;
        size_t colon = entry.find(':');
        if (colon != std::string::npos) {
            port = std::strtoul(entry.c_str() + colon + 1, nullptr, 10);
            entry.resize(colon);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<u_short>(port));
        if (port == 0 || port > 65535 || inet_pton(AF_INET, entry.c_str(), &address.sin_addr) != 1) {
            if (strict) return {};
            continue;
        }
        servers.push_back(address);
    }
    return servers;
}

std::vector<sockaddr_in> systemServers() {
    ULONG size = 0;
    if (GetNetworkParams(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return {};
    std::vector<char> buffer(size);
    auto* info = reinterpret_cast<FIXED_INFO*>(buffer.data());
    if (GetNetworkParams(info, &size) != ERROR_SUCCESS) return {};
    std::string list;
    for (IP_ADDR_STRING* server = &info->DnsServerList; server; server = server->Next)
        if (server->IpAddress.String[0]) list += std::string(server->IpAddress.String) + ',';
    return serversOf(list, false);
}

struct Pending {
    DnsExchange* exchange;
    std::vector<uint8_t> query;
    Clock::time_point sentAt;
    size_t server = 0;
};

class UdpResolver final : public DnsResolver {
public:
    explicit UdpResolver(const std::string& servers) {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        std::string list(trim(servers));
        servers_ = list.empty() ? systemServers() : serversOf(list, true);
        nextId_ = static_cast<uint16_t>(GetTickCount64() ^ GetCurrentProcessId());
    }
    ~UdpResolver() override {
        if (started_) WSACleanup();
    }
    UdpResolver(const UdpResolver&) = delete;
    UdpResolver& operator=(const UdpResolver&) = delete;

    void resolve(std::vector<DnsExchange>& exchanges, Clock::time_point deadline) override {
        if (!started_ || servers_.empty()) return;
        SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET) return;
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
        std::vector<Pending> pending;
        for (auto& exchange : exchanges) {
            Pending question{&exchange, dnsQuery(exchange.name, nextQueryId()), Clock::now(), 0};
            if (question.query.empty()) {
                exchange.reply = DnsReply{};
                continue;
            }
            send(s, question);
            pending.push_back(std::move(question));
        }
        while (!pending.empty()) {
            auto now = Clock::now();
            if (now >= deadline) break;
            auto wake = deadline;
            for (auto& question : pending) {
                if (now - question.sentAt >= kResend) {
                    question.server = (question.server + 1) % servers_.size();
                    send(s, question);
                }
                wake = std::min(wake, question.sentAt + kResend);
            }
            auto wait = std::chrono::duration_cast<std::chrono::microseconds>(wake - now).count();
            wait = std::max<long long>(wait, 1000);
            timeval limit{static_cast<long>(wait / 1000000), static_cast<long>(wait % 1000000)};
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(s, &readable);
            if (select(0, &readable, nullptr, nullptr, &limit) > 0) receive(s, pending);
        }
        closesocket(s);
    }

private:
    uint16_t nextQueryId() {
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        nextId_ = static_cast<uint16_t>(nextId_ * 31421u + 6927u + static_cast<uint16_t>(counter.QuadPart));
        return nextId_;
    }

    void send(SOCKET s, Pending& question) {
        question.sentAt = Clock::now();
        const sockaddr_in& to = servers_[question.server];
        sendto(s, reinterpret_cast<const char*>(question.query.data()), static_cast<int>(question.query.size()), 0,
               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }

    /// Reads every datagram waiting; only one from a server asked, carrying an open question's id, counts.
    void receive(SOCKET s, std::vector<Pending>& pending) {
        for (;;) {
            uint8_t buffer[1500];
            sockaddr_in from{};
            int fromLength = sizeof from;
            const int got = recvfrom(s, reinterpret_cast<char*>(buffer), sizeof buffer, 0,
                                     reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (got < 0) {
                // A refused earlier datagram shows up here as a reset; the socket stays usable.
                if (WSAGetLastError() == WSAECONNRESET) continue;
                return;
            }
            if (got < 12 || !fromServer(from)) continue;
            const uint16_t id = static_cast<uint16_t>(buffer[0] << 8 | buffer[1]);
            auto question = std::find_if(pending.begin(), pending.end(),
                                         [id](const Pending& p) { return dnsMessageId(p.query) == id; });
            if (question == pending.end()) continue;
            question->exchange->reply = readDnsReply(buffer, static_cast<size_t>(got), question->exchange->name);
            pending.erase(question);
        }
    }

    bool fromServer(const sockaddr_in& from) const {
        return std::any_of(servers_.begin(), servers_.end(), [&from](const sockaddr_in& server) {
            return server.sin_addr.s_addr == from.sin_addr.s_addr && server.sin_port == from.sin_port;
        });
    }

    bool started_ = false;
    std::vector<sockaddr_in> servers_;
    uint16_t nextId_ = 0;
};

}  // namespace

std::unique_ptr<DnsResolver> makeDnsResolver(const std::string& servers) {
    return std::make_unique<UdpResolver>(servers);
}

}  // namespace tarn::engine
