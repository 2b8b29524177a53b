// Block-list questions through c-ares: sent together, answered through poll, cut off at the caller's deadline.
#include <ares.h>
#include <poll.h>

#include <algorithm>
#include <mutex>

#include "DnsResolver.h"
#include "TextUtil.h"

namespace tarn::engine {

namespace {

using Clock = std::chrono::steady_clock;

struct Pending {
    DnsExchange* exchange;
    bool done = false;
};

void answered(void* arg, int status, int /*timeouts*/, unsigned char* answer, int length) {
    auto* pending = static_cast<Pending*>(arg);
    pending->done = true;
    if (status == ARES_SUCCESS && answer && length > 0)
        pending->exchange->reply = readDnsReply(answer, static_cast<size_t>(length), pending->exchange->name);
    else if (status != ARES_ETIMEOUT && status != ARES_ECANCELLED && status != ARES_EDESTRUCTION)
        pending->exchange->reply = DnsReply{};  // refused or unreadable: an answer that says nothing
}

class AresResolver final : public DnsResolver {
public:
    explicit AresResolver(const std::string& servers) {
        static std::once_flag once;
        std::call_once(once, [] { ares_library_init(ARES_LIB_INIT_ALL); });
        ares_options options{};
        // A lost datagram is sent again after a second; the caller's deadline ends the wait in any case.
        options.timeout = 1000;
        options.tries = 4;
        options.flags = ARES_FLAG_NOSEARCH | ARES_FLAG_NOALIASES;
        if (ares_init_options(&channel_, &options, ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_FLAGS) != ARES_SUCCESS) {
            channel_ = nullptr;
            return;
        }
        std::string list(trim(servers));
        if (!list.empty() && ares_set_servers_ports_csv(channel_, list.c_str()) != ARES_SUCCESS) {
            ares_destroy(channel_);
            channel_ = nullptr;
        }
    }
    ~AresResolver() override {
        if (channel_) ares_destroy(channel_);
    }
    AresResolver(const AresResolver&) = delete;
    AresResolver& operator=(const AresResolver&) = delete;

    void resolve(std::vector<DnsExchange>& exchanges, Clock::time_point deadline) override {
        if (!channel_) return;
        std::vector<Pending> pending;
        pending.reserve(exchanges.size());
        for (auto& exchange : exchanges) {
            std::vector<uint8_t> query = dnsQuery(exchange.name, 0);  // c-ares gives each query its own id
            if (query.empty()) {
                exchange.reply = DnsReply{};
                continue;
            }
            pending.push_back({&exchange});
            ares_send(channel_, query.data(), static_cast<int>(query.size()), answered, &pending.back());
        }
        auto allDone = [&] { return std::all_of(pending.begin(), pending.end(), [](const Pending& p) { return p.done; }); };
        while (!allDone()) {
            const auto now = Clock::now();
            if (now >= deadline) break;
            ares_socket_t sockets[ARES_GETSOCK_MAXNUM];
            const int mask = ares_getsock(channel_, sockets, ARES_GETSOCK_MAXNUM);
            pollfd fds[ARES_GETSOCK_MAXNUM];
            nfds_t count = 0;
            for (int i = 0; i < ARES_GETSOCK_MAXNUM; ++i) {
                short events = static_cast<short>((ARES_GETSOCK_READABLE(mask, i) ? POLLIN : 0) |
                                                  (ARES_GETSOCK_WRITABLE(mask, i) ? POLLOUT : 0));
                if (events) fds[count++] = {sockets[i], events, 0};
            }
            timeval limit{}, wanted{};
            auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count();
            limit.tv_sec = static_cast<decltype(limit.tv_sec)>(left / 1000000);
            limit.tv_usec = static_cast<decltype(limit.tv_usec)>(left % 1000000);
            timeval* wait = ares_timeout(channel_, &limit, &wanted);
            const int waitMs = static_cast<int>(wait->tv_sec * 1000 + (wait->tv_usec + 999) / 1000);
            const int ready = poll(fds, count, std::max(waitMs, 1));
            if (ready <= 0) {
                ares_process_fd(channel_, ARES_SOCKET_BAD, ARES_SOCKET_BAD);  // lets c-ares send again on its timers
                continue;
            }
            for (nfds_t i = 0; i < count; ++i) {
                if (!fds[i].revents) continue;
                const bool readable = fds[i].revents & (POLLIN | POLLERR | POLLHUP);
                ares_process_fd(channel_, readable ? fds[i].fd : ARES_SOCKET_BAD,
                                fds[i].revents & POLLOUT ? fds[i].fd : ARES_SOCKET_BAD);
            }
        }
        // What is still open is dropped now, so its answers can never reach `pending` once it is gone.
        if (!allDone()) ares_cancel(channel_);
    }

private:
    ares_channel channel_ = nullptr;
};

}  // namespace

std::unique_ptr<DnsResolver> makeDnsResolver(const std::string& servers) {
    return std::make_unique<AresResolver>(servers);
}

}  // namespace tarn::engine
