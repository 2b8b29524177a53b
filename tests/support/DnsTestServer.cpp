// The loopback DNS server's question reading and its three ways of answering.
#include "support/DnsTestServer.h"

#include <algorithm>
#include <cctype>

namespace tw::test {

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v >> 16);
    put16(out, v & 0xFFFF);
}

/// The question's name in lower case and where the question ends, or an empty name.
std::string questionName(const uint8_t* query, int size, int& end) {
    std::string name;
    int at = 12;
    while (at < size && query[at] != 0) {
        int length = query[at];
        if ((length & 0xC0) || at + 1 + length > size) return {};
        if (!name.empty()) name += '.';
        for (int i = 0; i < length; ++i) name += static_cast<char>(std::tolower(query[at + 1 + i]));
        at += 1 + length;
    }
    end = at + 5;  // the root label, type and class
    return end <= size ? name : std::string();
}

std::string reversed(const std::string& address) {
    std::vector<std::string> octets;
    size_t start = 0;
    for (;;) {
        size_t dot = address.find('.', start);
        octets.push_back(address.substr(start, dot - start));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    std::string name;
    for (auto it = octets.rbegin(); it != octets.rend(); ++it) name += *it + '.';
    return name;
}

}  // namespace

DnsTestServer::DnsTestServer() : thread_([this] { serve(); }) {}

DnsTestServer::~DnsTestServer() {
    stop_ = true;
    thread_.join();
}

void DnsTestServer::addZone(const std::string& zone, Zone kind) {
    std::lock_guard lock(mutex_);
    zones_[zone] = kind;
}

void DnsTestServer::list(const std::string& zone, const std::string& address) {
    std::lock_guard lock(mutex_);
    listed_.insert(reversed(address) + zone);
}

std::vector<std::string> DnsTestServer::questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
}

void DnsTestServer::forgetQuestions() {
    std::lock_guard lock(mutex_);
    questions_.clear();
}

void DnsTestServer::serve() {
    std::vector<Due> due;
    while (!stop_) {
        auto now = std::chrono::steady_clock::now();
        for (auto it = due.begin(); it != due.end();) {
            if (it->at > now) {
                ++it;
                continue;
            }
            socket_.send(it->reply.data(), static_cast<int>(it->reply.size()), it->to);
            it = due.erase(it);
        }
        uint8_t query[512];
        UdpSocket::Peer from;
        const int got = socket_.receive(query, sizeof query, 5, from);
        if (got < 12) continue;
        int end = 0;
        const std::string name = questionName(query, got, end);
        if (name.empty()) continue;
        std::vector<uint8_t> reply;
        {
            std::lock_guard lock(mutex_);
            questions_.push_back(name);
            reply = replyTo(query, end, name);
        }
        if (!reply.empty()) due.push_back({now + std::chrono::milliseconds(delayMs_.load()), std::move(reply), from});
    }
}

std::vector<uint8_t> DnsTestServer::replyTo(const uint8_t* query, int questionEnd, const std::string& name) {
    auto zone = std::find_if(zones_.begin(), zones_.end(), [&name](const auto& z) {
        return name.size() > z.first.size() && name.compare(name.size() - z.first.size(), z.first.size(), z.first) == 0 &&
               name[name.size() - z.first.size() - 1] == '.';
    });
    if (zone != zones_.end() && zone->second == Zone::silent) return {};
    const bool listed = listed_.count(name) != 0;
    // The header: the query's id, an answer with recursion, then the question as asked.
    std::vector<uint8_t> reply(query, query + questionEnd);
    reply[2] = 0x81;
    reply[3] = static_cast<uint8_t>(0x80 | (zone == zones_.end() || !listed ? 3 : 0));
    for (int i = 4; i < 12; ++i) reply[i] = 0;
    reply[5] = 1;
    if (zone != zones_.end() && zone->second == Zone::malformed) {
        reply[3] = 0x80;
        reply[7] = 1;
        reply.insert(reply.end(), {0xC0, 0x0C, 0, 1, 0, 1, 0, 0, 1, 0, 0, 4, 127});  // four address bytes promised, one sent
        return reply;
    }
    if (listed) {
        reply[7] = 1;
        reply.insert(reply.end(), {0xC0, 0x0C, 0, 1, 0, 1});
        put32(reply, listedTtl_);
        reply.insert(reply.end(), {0, 4, 127, 0, 0, 2});
        return reply;
    }
    if (zone == zones_.end()) return reply;
    // "No such name", with the zone's SOA whose minimum bounds how long the answer may be kept.
    reply[9] = 1;
    const size_t zoneAt = 12 + name.size() - zone->first.size();
    put16(reply, 0xC000 | static_cast<uint32_t>(zoneAt));
    put16(reply, 6);
    put16(reply, 1);
    put32(reply, 3600);
    const std::vector<uint8_t> rdata = {2, 'n', 's', 0xC0, static_cast<uint8_t>(zoneAt), 0, 0, 0, 0, 1, 0, 0, 0x0E, 0x10,
                                        0, 0, 0x0E, 0x10, 0, 0x09, 0x3A, 0x80};
    put16(reply, static_cast<uint32_t>(rdata.size() + 4));
    reply.insert(reply.end(), rdata.begin(), rdata.end());
    put32(reply, notListedTtl_);
    return reply;
}

}  // namespace tw::test
