// Builds the one question the engine asks and reads answers defensively: every offset is checked against the end.
#include "DnsMessage.h"

#include <algorithm>

#include "TextUtil.h"

namespace tarn::engine {

namespace {

constexpr uint16_t kTypeA = 1, kTypeSoa = 6, kClassIn = 1;
constexpr uint8_t kRcodeNoName = 3;

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool ok = true;

    uint16_t u16() {
        if (at + 2 > size) return ok = false, 0;
        uint16_t v = static_cast<uint16_t>(data[at] << 8 | data[at + 1]);
        at += 2;
        return v;
    }
    uint32_t u32() {
        uint32_t high = u16();
        return high << 16 | u16();
    }
    /// Reads a possibly compressed name at `at` into lower case dotted text; moves past it.
    std::string name() {
        std::string text;
        size_t pos = at, jumps = 0;
        bool jumped = false;
        for (;;) {
            if (pos >= size) return ok = false, text;
            uint8_t length = data[pos];
            if ((length & 0xC0) == 0xC0) {
                if (pos + 1 >= size || ++jumps > 32) return ok = false, text;
                if (!jumped) at = pos + 2;
                jumped = true;
                pos = static_cast<size_t>((length & 0x3F) << 8 | data[pos + 1]);
                continue;
            }
            if (length & 0xC0) return ok = false, text;
            if (length == 0) {
                if (!jumped) at = pos + 1;
                return text;
            }
            if (pos + 1 + length > size || text.size() + length > 255) return ok = false, text;
            if (!text.empty()) text += '.';
            for (size_t i = 0; i < length; ++i) text += lowerAscii(static_cast<char>(data[pos + 1 + i]));
            pos += 1 + length;
        }
    }
};

}  // namespace

std::string blockListQueryName(const IpAddress& address, std::string_view zone) {
    std::string name;
    const auto& b = address.bytes;
    if (!address.v6) {
        for (int i = 3; i >= 0; --i) name += std::to_string(b[i]) + '.';
    } else {
        static const char kHex[] = "0123456789abcdef";
        for (int i = 15; i >= 0; --i) {
            name += kHex[b[i] & 15];
            name += '.';
            name += kHex[b[i] >> 4];
            name += '.';
        }
    }
    return name + std::string(zone);
}

std::vector<uint8_t> dnsQuery(std::string_view name, uint16_t id) {
    while (!name.empty() && name.back() == '.') name.remove_suffix(1);
    if (name.empty() || name.size() > 253) return {};
    std::vector<uint8_t> query = {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id), 0x01, 0x00, 0, 1, 0, 0, 0, 0, 0, 0};
    size_t start = 0;
    for (;;) {
        size_t dot = name.find('.', start);
        std::string_view label = name.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (label.empty() || label.size() > 63) return {};
        query.push_back(static_cast<uint8_t>(label.size()));
        query.insert(query.end(), label.begin(), label.end());
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    query.insert(query.end(), {0, 0, kTypeA, 0, kClassIn});
    return query;
}

uint16_t dnsMessageId(const std::vector<uint8_t>& message) {
    return message.size() < 2 ? 0 : static_cast<uint16_t>(message[0] << 8 | message[1]);
}

DnsReply readDnsReply(const uint8_t* data, size_t size, std::string_view name) {
    DnsReply failed;
    Reader in{data, size};
    in.u16();
    const uint16_t flags = in.u16();
    const uint16_t questions = in.u16(), answers = in.u16(), authorities = in.u16();
    in.u16();
    const bool isAnswer = flags & 0x8000, truncated = flags & 0x0200;
    const uint8_t rcode = flags & 0x0F;
    if (!in.ok || !isAnswer || truncated || questions != 1) return failed;
    std::string asked = toLowerAscii(name);
    while (!asked.empty() && asked.back() == '.') asked.pop_back();
    if (in.name() != asked || in.u16() != kTypeA || in.u16() != kClassIn || !in.ok) return failed;
    if (rcode != 0 && rcode != kRcodeNoName) return failed;

    DnsReply reply;
    reply.kind = DnsReply::Kind::addresses;
    std::optional<uint32_t> negativeTtl;
    for (uint32_t i = 0; i < uint32_t{answers} + authorities; ++i) {
        in.name();
        const uint16_t type = in.u16(), cls = in.u16();
        const uint32_t ttl = in.u32();
        const uint16_t length = in.u16();
        if (!in.ok || in.at + length > size) return failed;
        const size_t end = in.at + length;
        if (i < answers && type == kTypeA && cls == kClassIn) {
            if (length != 4) return failed;
            reply.addresses.push_back(in.u32());
            reply.ttl = std::min(reply.ttl.value_or(ttl), ttl);
        } else if (i >= answers && type == kTypeSoa) {
            in.name();
            in.name();
            in.at += 16;  // serial, refresh, retry, expire
            const uint32_t minimum = in.u32();
            if (!in.ok || in.at != end) return failed;
            negativeTtl = std::min(ttl, minimum);  // the negative lifetime: the SOA's own or its minimum, the shorter
        }
        in.at = end;
    }
    // With no A record, a "no such record" answer is a negative one, as NXDOMAIN is.
    if (rcode == kRcodeNoName || reply.addresses.empty()) {
        reply.kind = DnsReply::Kind::noName;
        reply.addresses.clear();
        reply.ttl = negativeTtl;
    }
    return reply;
}

}  // namespace tarn::engine
