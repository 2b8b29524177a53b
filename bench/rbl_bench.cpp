// Block-list benchmark: scores of a message with four relays against three zones of a loopback DNS server,
// answering at once, after two seconds, or never; prints the time per score call and the longest one.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Engine.h"
#include "support/DnsTestServer.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using tw::test::DnsTestServer;

struct Timing {
    double meanMs = 0, firstMs = 0, longestMs = 0, longestAfterFirstMs = 0;
    int listed = 0;
};

/// Four public relays, newest first; `fresh` gives every message its own, so nothing comes from the cache.
std::string headersOf(int message, bool fresh) {
    std::string headers;
    for (int relay = 0; relay < 4; ++relay) {
        const int n = fresh ? message * 4 + relay : relay;
        headers += "Received: from relay" + std::to_string(relay) + ".example (relay.example [198.51." +
                   std::to_string(100 + n / 250) + "." + std::to_string(1 + n % 250) + "])\r\n\tby mx.home.example\r\n";
    }
    return headers + "From: offers@sender.example\r\nSubject: Offer " + std::to_string(message) + "\r\n";
}

Timing run(DnsTestServer& server, const std::string& timeout, int messages, bool fresh) {
    const auto folder = std::filesystem::temp_directory_path() / ("tarnwick-rbl-bench-" + std::to_string(std::rand()));
    std::filesystem::create_directories(folder);
    Timing timing;
    {
        tarn::engine::Engine engine("Outlook", folder.string());
        engine.setOption("offsetdir", folder.string());
        engine.setOption("enable_rbl_check", "yes");
        engine.setOption("rbl_list", "one.bench,two.bench,three.bench");
        engine.setOption("rbl_timeout", timeout);
        engine.setOption("dns_servers", server.address());
        engine.initialize();
        double total = 0;
        for (int i = 0; i < messages; ++i) {
            int32_t score = -1;
            const auto start = Clock::now();
            engine.score(headersOf(i, fresh), "Buy now, the offer ends today.", "", 0, score);
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            total += ms;
            timing.longestMs = std::max(timing.longestMs, ms);
            if (i == 0) timing.firstMs = ms;
            else timing.longestAfterFirstMs = std::max(timing.longestAfterFirstMs, ms);
            if (score >= 90) ++timing.listed;
        }
        timing.meanMs = total / messages;
    }
    std::filesystem::remove_all(folder);
    return timing;
}

void print(const char* what, int messages, const Timing& timing) {
    std::printf("| %-44s | %8d | %10.2f | %10.1f | %8.1f | %12.1f | %6d |\n", what, messages, timing.meanMs, timing.longestMs,
                timing.firstMs, timing.longestAfterFirstMs, timing.listed);
}

}  // namespace

int main(int argc, char** argv) {
    int messages = 200;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--messages") == 0) messages = std::max(1, std::atoi(argv[i + 1]));
    DnsTestServer server;
    for (const char* zone : {"one.bench", "two.bench", "three.bench"}) server.addZone(zone);
    // Every eighth relay is on two lists.
    for (int n = 0; n < messages * 4; n += 8)
        for (const char* zone : {"one.bench", "three.bench"})
            server.list(zone, "198.51." + std::to_string(100 + n / 250) + "." + std::to_string(1 + n % 250));

    std::printf("| %-44s | %8s | %10s | %10s | %8s | %12s | %6s |\n", "case", "messages", "mean ms", "longest ms", "first ms",
                "longest next", ">= 90");
    std::printf("|%s|---------:|-----------:|-----------:|---------:|-------------:|-------:|\n", std::string(46, '-').c_str());
    print("answered at once, new relays (12 questions)", messages, run(server, "5", messages, true));
    print("answered at once, same relays (cache)", messages, run(server, "5", messages, false));
    server.setDelay(2s);
    const int slow = std::min(messages, 5);
    print("answered after 2 s, new relays", slow, run(server, "5", slow, true));
    server.setDelay(0ms);
    for (const char* zone : {"one.bench", "two.bench", "three.bench"}) server.addZone(zone, DnsTestServer::Zone::silent);
    print("silent server, rbl_timeout 5", slow, run(server, "5", slow, true));
    return 0;
}
