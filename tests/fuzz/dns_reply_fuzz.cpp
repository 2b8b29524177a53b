// Fuzz target for the block lists' reading of DNS answers, which come from the network: any bytes
// read as addresses, "no such name" or a failure, never past their end, and only an answer to the
// question asked counts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "DnsMessage.h"
#include "FuzzChecks.h"

using tw::fuzz::require;
using tarn::engine::DnsReply;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kNames[] = {"9.113.0.203.bl.test", "2.0.0.127.zen.example.org", "a.b"};
    if (size == 0) return 0;
    const std::string name = kNames[data[0] % 3];
    const DnsReply reply = tarn::engine::readDnsReply(data + 1, size - 1, name);
    if (reply.kind != DnsReply::Kind::addresses)
        require(reply.addresses.empty(), "only an answer with addresses carries addresses");
    else
        require(!reply.addresses.empty(), "an answer without A records reads as no such name");
    if (reply.kind == DnsReply::Kind::failed) require(!reply.ttl, "a failure has no lifetime");
    const auto query = tarn::engine::dnsQuery(name, 7);
    require(tarn::engine::readDnsReply(query.data(), query.size(), name).kind == DnsReply::Kind::failed,
            "a question is not its own answer");
    return 0;
}
