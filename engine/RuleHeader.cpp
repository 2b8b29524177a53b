// Reading and writing the header line of a rule file.
#include "RuleHeader.h"

namespace tarn::engine {

namespace {
constexpr std::string_view kMagic = "TWRULES ";
constexpr size_t kLongestHeader = 64;
}  // namespace

bool isRuleStamp(std::string_view stamp) {
    constexpr std::string_view shape = "dddd.dd.dd.dd.dd.dd";
    if (stamp.size() != shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool digit = stamp[i] >= '0' && stamp[i] <= '9';
        if (shape[i] == 'd' ? !digit : stamp[i] != '.') return false;
    }
    return true;
}

bool isRuleFileName(std::string_view name) { return name == "tw1" || name == "tw2" || name == "tw5"; }

std::optional<RuleHeader> readRuleHeader(std::string_view bytes) {
    if (bytes.substr(0, kMagic.size()) != kMagic) return std::nullopt;
    const size_t end = bytes.substr(0, kLongestHeader).find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view fields = bytes.substr(kMagic.size(), end - kMagic.size());
    const size_t blank = fields.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const std::string_view name = fields.substr(0, blank), stamp = fields.substr(blank + 1);
    if (!isRuleFileName(name) || !isRuleStamp(stamp)) return std::nullopt;
    return RuleHeader{std::string(name), std::string(stamp), end + 1};
}

std::string writeRuleHeader(std::string_view name, std::string_view stamp) {
    std::string line(kMagic);
    line.append(name).append(" ").append(stamp).append("\n");
    return line;
}

}  // namespace tarn::engine
