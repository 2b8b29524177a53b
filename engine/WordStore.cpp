// Linear probing over a power-of-two table; the file is a fixed header, fixed-size records and a CRC.
#include "WordStore.h"

#include <algorithm>
#include <cstring>

#include "FileIo.h"
#include "Hash.h"

namespace tarn::engine {

namespace {

constexpr char kMagic[8] = {'T', 'A', 'R', 'N', 'W', 'R', 'D', '1'};
constexpr size_t kHeaderBytes = 8 + 4 * 4 + 8 * 2;
constexpr size_t kRecordBytes = 8 + 4 * 3;

void putU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void putU64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
uint32_t getU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t getU64(const unsigned char* p) { return static_cast<uint64_t>(getU32(p)) | (static_cast<uint64_t>(getU32(p + 4)) << 32); }

bool isIntact(std::string_view data) {
    if (data.size() < kHeaderBytes + 4 || std::memcmp(data.data(), kMagic, sizeof kMagic) != 0) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    uint32_t count = getU32(p + 8);
    if (data.size() != kHeaderBytes + static_cast<size_t>(count) * kRecordBytes + 4) return false;
    return crc32(data.substr(0, data.size() - 4)) == getU32(p + data.size() - 4);
}

uint32_t saturatingAdd(uint32_t a, uint32_t b) { return a > UINT32_MAX - b ? UINT32_MAX : a + b; }

}  // namespace

WordStore::WordStore() { slots_.resize(1024); }

void WordStore::clear() {
    slots_.assign(1024, Slot{});
    used_ = 0;
    totals_ = {};
}

bool WordStore::find(uint64_t key, WordCounts& counts) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = mix64(key) & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.key == key) {
            counts = {slot.spam, slot.ham};
            return true;
        }
        if (slot.key == 0) return false;
    }
}

WordStore::Slot& WordStore::slotFor(uint64_t key) {
    if ((used_ + 1) * 2 > slots_.size()) grow();
    const size_t mask = slots_.size() - 1;
    for (size_t i = mix64(key) & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.key == key) return slot;
        if (slot.key == 0) {
            slot.key = key;
            ++used_;
            return slot;
        }
    }
}

void WordStore::grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.size() * 2, Slot{});
    used_ = 0;
    for (const Slot& slot : old)
        if (slot.key) insertLoaded(slot);
}

void WordStore::insertLoaded(const Slot& loaded) {
    Slot& slot = slotFor(loaded.key);
    slot = loaded;
}

void WordStore::train(const std::vector<uint64_t>& features, bool spam, uint32_t weight) {
    ++totals_.serial;
    if (spam) {
        ++totals_.spamMessages;
        totals_.spamWeight += weight;
    } else {
        ++totals_.hamMessages;
        totals_.hamWeight += weight;
    }
    for (uint64_t key : features) {
        if (key == 0) continue;
        Slot& slot = slotFor(key);
        if (spam) slot.spam = saturatingAdd(slot.spam, weight);
        else slot.ham = saturatingAdd(slot.ham, weight);
        slot.stamp = totals_.serial;
    }
}

void WordStore::prune(size_t maxEntries) {
    if (used_ <= maxEntries) return;
    std::vector<Slot> entries;
    entries.reserve(used_);
    for (const Slot& slot : slots_)
        if (slot.key) entries.push_back(slot);
    auto moreUseful = [](const Slot& a, const Slot& b) {
        uint64_t countA = static_cast<uint64_t>(a.spam) + a.ham, countB = static_cast<uint64_t>(b.spam) + b.ham;
        if (countA != countB) return countA > countB;
        return a.stamp > b.stamp;
    };
    std::nth_element(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(maxEntries), entries.end(), moreUseful);
    entries.resize(maxEntries);
    size_t capacity = 1024;
    while (capacity < maxEntries * 2 + 2) capacity *= 2;
    slots_.assign(capacity, Slot{});
    used_ = 0;
    for (const Slot& slot : entries) insertLoaded(slot);
}

std::string WordStore::serialize() const {
    std::string out;
    out.reserve(kHeaderBytes + used_ * kRecordBytes + 4);
    out.append(kMagic, sizeof kMagic);
    putU32(out, static_cast<uint32_t>(used_));
    putU32(out, totals_.spamMessages);
    putU32(out, totals_.hamMessages);
    putU32(out, totals_.serial);
    putU64(out, totals_.spamWeight);
    putU64(out, totals_.hamWeight);
    for (const Slot& slot : slots_) {
        if (!slot.key) continue;
        putU64(out, slot.key);
        putU32(out, slot.spam);
        putU32(out, slot.ham);
        putU32(out, slot.stamp);
    }
    putU32(out, crc32(out));
    return out;
}

bool WordStore::deserialize(std::string_view data) {
    if (!isIntact(data)) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    uint32_t count = getU32(p + 8);
    clear();
    totals_.spamMessages = getU32(p + 12);
    totals_.hamMessages = getU32(p + 16);
    totals_.serial = getU32(p + 20);
    totals_.spamWeight = getU64(p + 24);
    totals_.hamWeight = getU64(p + 32);
    size_t capacity = 1024;
    while (capacity < static_cast<size_t>(count) * 2 + 2) capacity *= 2;
    slots_.assign(capacity, Slot{});
    const unsigned char* record = p + kHeaderBytes;
    for (uint32_t i = 0; i < count; ++i, record += kRecordBytes) {
        Slot slot{getU64(record), getU32(record + 8), getU32(record + 12), getU32(record + 16)};
        if (slot.key) insertLoaded(slot);
    }
    return true;
}

StoreLoad WordStore::load(const std::string& path) {
    return loadStoreFile(path, [this](std::string_view data) { return deserialize(data); });
}

bool WordStore::save(const std::string& path) const {
    // The previous file stays as the backup, in case the new one is later damaged on disk.
    auto current = readWholeFile(path);
    if (current && isIntact(*current)) replaceFileAtomically(path + ".bak", *current);
    return replaceFileAtomically(path, serialize());
}

}  // namespace tarn::engine
