// The file is a binary trie over the address bits with 3-byte records; leaves point into the country table.
#include "GeoIpCountries.h"

#include <array>
#include <mutex>

#include "FileIo.h"
#include "TextUtil.h"

namespace tarn::engine {

namespace {

constexpr uint32_t kCountryBegin = 16776960;
constexpr size_t kRecordLength = 3;

// The country table in the order the database's leaves number it.
constexpr std::array<const char*, 256> kCodes = {
    "--", "ap", "eu", "ad", "ae", "af", "ag", "ai", "al", "am", "cw", "ao", "aq", "ar", "as", "at", "au", "aw", "az",
    "ba", "bb", "bd", "be", "bf", "bg", "bh", "bi", "bj", "bm", "bn", "bo", "br", "bs", "bt", "bv", "bw", "by", "bz",
    "ca", "cc", "cd", "cf", "cg", "ch", "ci", "ck", "cl", "cm", "cn", "co", "cr", "cu", "cv", "cx", "cy", "cz", "de",
    "dj", "dk", "dm", "do", "dz", "ec", "ee", "eg", "eh", "er", "es", "et", "fi", "fj", "fk", "fm", "fo", "fr", "sx",
    "ga", "gb", "gd", "ge", "gf", "gh", "gi", "gl", "gm", "gn", "gp", "gq", "gr", "gs", "gt", "gu", "gw", "gy", "hk",
    "hm", "hn", "hr", "ht", "hu", "id", "ie", "il", "in", "io", "iq", "ir", "is", "it", "jm", "jo", "jp", "ke", "kg",
    "kh", "ki", "km", "kn", "kp", "kr", "kw", "ky", "kz", "la", "lb", "lc", "li", "lk", "lr", "ls", "lt", "lu", "lv",
    "ly", "ma", "mc", "md", "mg", "mh", "mk", "ml", "mm", "mn", "mo", "mp", "mq", "mr", "ms", "mt", "mu", "mv", "mw",
    "mx", "my", "mz", "na", "nc", "ne", "nf", "ng", "ni", "nl", "no", "np", "nr", "nu", "nz", "om", "pa", "pe", "pf",
    "pg", "ph", "pk", "pl", "pm", "pn", "pr", "ps", "pt", "pw", "py", "qa", "re", "ro", "ru", "rw", "sa", "sb", "sc",
    "sd", "se", "sg", "sh", "si", "sj", "sk", "sl", "sm", "sn", "so", "sr", "st", "sv", "sy", "sz", "tc", "td", "tf",
    "tg", "th", "tj", "tk", "tm", "tn", "to", "tl", "tr", "tt", "tv", "tw", "tz", "ua", "ug", "um", "us", "uy", "uz",
    "va", "vc", "ve", "vg", "vi", "vn", "vu", "wf", "ws", "ye", "yt", "rs", "za", "zm", "me", "zw", "a1", "a2", "o1",
    "ax", "gg", "im", "je", "bl", "mf", "bq", "ss", "o1"};

}  // namespace

bool GeoIpCountries::open(const std::string& path) {
    auto data = readWholeFile(path);
    if (!data) return false;
    return openFromBytes(std::move(*data));
}

bool GeoIpCountries::openFromBytes(std::string bytes) {
    data_ = std::move(bytes);
    if (!examine()) {
        data_.clear();
        return false;
    }
    return true;
}

bool GeoIpCountries::examine() {
    // The structure marker (three 0xFF bytes and the edition) sits near the end of the file.
    segments_ = kCountryBegin;
    if (data_.size() < 6) return false;
    for (size_t back = 3; back < 23 && back <= data_.size(); ++back) {
        size_t at = data_.size() - back;
        if (at + 3 < data_.size() && static_cast<unsigned char>(data_[at]) == 0xFF &&
            static_cast<unsigned char>(data_[at + 1]) == 0xFF && static_cast<unsigned char>(data_[at + 2]) == 0xFF) {
            unsigned edition = static_cast<unsigned char>(data_[at + 3]);
            if (edition >= 106) edition -= 105;
            return edition == 1;  // only the country edition has this layout
        }
    }
    return true;
}

std::string GeoIpCountries::lookup(uint32_t address) const {
    if (data_.empty()) return {};
    uint32_t offset = 0;
    for (int depth = 31; depth >= 0; --depth) {
        size_t at = static_cast<size_t>(offset) * 2 * kRecordLength;
        if (at + 2 * kRecordLength > data_.size()) return {};
        const auto* record = reinterpret_cast<const unsigned char*>(data_.data() + at);
        if ((address >> depth) & 1) record += kRecordLength;
        uint32_t next = static_cast<uint32_t>(record[0]) | (static_cast<uint32_t>(record[1]) << 8) |
                        (static_cast<uint32_t>(record[2]) << 16);
        if (next >= segments_) {
            uint32_t index = next - segments_;
            if (index == 0 || index >= kCodes.size()) return {};
            std::string code = kCodes[index];
            // Regions and proxies are not countries.
            if (code == "ap" || code == "eu" || code == "a1" || code == "a2" || code == "o1") return {};
            return code;
        }
        offset = next;
    }
    return {};
}

const GeoIpCountries& sharedGeoIpCountries(const std::string& preferredFolder) {
    static std::once_flag once;
    static GeoIpCountries database;
    std::call_once(once, [&] {
        if (!preferredFolder.empty() && database.open(joinPath(preferredFolder, "GeoIP.dat"))) return;
        database.open("/usr/share/GeoIP/GeoIP.dat");
    });
    return database;
}

}  // namespace tarn::engine
