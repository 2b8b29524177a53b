// A text file, one address a line, closed by a checksum line so a damaged file is noticed.
#include "AddressStore.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "FileIo.h"
#include "TextUtil.h"

namespace tarn::engine {

namespace {

constexpr std::string_view kFirstLine = "tarnwick address store 1\n";
constexpr size_t kMaxEntries = 200000;

uint32_t parseCount(std::string_view text) {
    uint64_t value = 0;
    if (text.empty()) return 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c - '0'), UINT32_MAX);
    }
    return static_cast<uint32_t>(value);
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    auto separator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '=' || c == '\r'; };
    while (i < line.size()) {
        while (i < line.size() && separator(line[i])) ++i;
        size_t start = i;
        while (i < line.size() && !separator(line[i])) ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

}  // namespace

std::string AddressStore::normalize(std::string_view address) {
    address = trim(address);
    if (!address.empty() && address.front() == '<') address.remove_prefix(1);
    if (!address.empty() && address.back() == '>') address.remove_suffix(1);
    address = trim(address);
    if (address.size() < 3 || address.size() > 254) return {};
    size_t at = address.rfind('@');
    if (at == 0 || at == std::string_view::npos || at + 1 == address.size()) return {};
    for (char c : address)
        if (static_cast<unsigned char>(c) <= ' ' || c == '<' || c == '>' || c == ',' || c == '"') return {};
    return toLowerAscii(address);
}

bool AddressStore::change(std::string_view address, bool toAddress, int32_t number, bool add) {
    std::string key = normalize(address);
    if (key.empty()) return false;
    uint32_t amount = number > 0 ? static_cast<uint32_t>(number) : 1;
    auto it = entries_.find(key);
    if (add) {
        if (it == entries_.end()) {
            if (entries_.size() >= kMaxEntries) return false;
            it = entries_.emplace(key, AddressCounts{}).first;
        }
        uint32_t& count = toAddress ? it->second.to : it->second.from;
        count = count > UINT32_MAX - amount ? UINT32_MAX : count + amount;
        return true;
    }
    if (it == entries_.end()) return true;
    uint32_t& count = toAddress ? it->second.to : it->second.from;
    count = count > amount ? count - amount : 0;
    if (it->second.to == 0 && it->second.from == 0) entries_.erase(it);
    return true;
}

AddressCounts AddressStore::lookup(std::string_view address) const {
    auto it = entries_.find(normalize(address));
    return it == entries_.end() ? AddressCounts{} : it->second;
}

int32_t AddressStore::importList(std::string_view text) {
    int32_t imported = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        auto fields = splitFields(line);
        if (fields.empty() || fields[0][0] == '#') continue;
        AddressCounts counts;
        std::string address;
        if ((equalsNoCase(fields[0], "to") || equalsNoCase(fields[0], "from")) && fields.size() >= 2) {
            address = normalize(fields[1]);
            uint32_t n = fields.size() >= 3 ? parseCount(fields[2]) : 1;
            (equalsNoCase(fields[0], "to") ? counts.to : counts.from) = n ? n : 1;
        } else {
            address = normalize(fields[0]);
            if (fields.size() >= 3) {
                counts.to = parseCount(fields[1]);
                counts.from = parseCount(fields[2]);
            } else {
                counts.from = fields.size() == 2 ? parseCount(fields[1]) : 1;
            }
        }
        if (address.empty() || (counts.to == 0 && counts.from == 0)) continue;
        if (entries_.size() >= kMaxEntries && !entries_.count(address)) continue;
        AddressCounts& entry = entries_[address];
        entry.to = std::max(entry.to, counts.to);
        entry.from = std::max(entry.from, counts.from);
        ++imported;
    }
    return imported;
}

std::string AddressStore::serialize() const {
    std::string out(kFirstLine);
    for (const auto& [address, counts] : entries_) {
        out += address;
        out += '\t' + std::to_string(counts.to) + '\t' + std::to_string(counts.from) + '\n';
    }
    char checksum[32];
    std::snprintf(checksum, sizeof checksum, "#crc %08x\n", static_cast<unsigned>(crc32(out)));
    return out + checksum;
}

bool AddressStore::deserialize(std::string_view text) {
    if (text.substr(0, kFirstLine.size()) != kFirstLine) return false;
    size_t crcLine = text.rfind("#crc ");
    if (crcLine == std::string_view::npos) return false;
    unsigned long stored = std::strtoul(std::string(text.substr(crcLine + 5, 8)).c_str(), nullptr, 16);
    if (crc32(text.substr(0, crcLine)) != static_cast<uint32_t>(stored)) return false;
    entries_.clear();
    importList(text.substr(kFirstLine.size(), crcLine - kFirstLine.size()));
    return true;
}

StoreLoad AddressStore::load(const std::string& path) {
    return loadStoreFile(path, [this](std::string_view data) { return deserialize(data); });
}

bool AddressStore::save(const std::string& path) const {
    auto current = readWholeFile(path);
    if (current) {
        AddressStore check;
        if (check.deserialize(*current)) replaceFileAtomically(path + ".bak", *current);
    }
    return replaceFileAtomically(path, serialize());
}

}  // namespace tarn::engine
