// The presets and bands of the spam filter strength.
#include "options/StrengthScale.h"

#include <algorithm>

namespace tw::options {

namespace {
constexpr int kLenient = 1, kModerate = 2, kAggressive = 3, kExclusive = 4;
constexpr int kExclusiveText = 1154, kVeryAggressiveText = 1155, kAggressiveText = 1156, kModerateText = 1157,
              kLenientText = 1158;
}  // namespace

int strengthPreset(int option) {
    switch (option) {
        case kLenient: return 90;
        case kModerate: return 80;
        case kAggressive: return 70;
        default: return 1;
    }
}

int strengthNameId(int option) { return 1149 + std::clamp(option, kLenient, kExclusive); }

std::optional<StrengthChoice> strengthFor(int threshold) {
    if (threshold < 1 || threshold > 100) return std::nullopt;
    if (threshold == 1) return StrengthChoice{kExclusive, kExclusiveText};
    if (threshold <= 65) return StrengthChoice{kAggressive, kVeryAggressiveText};
    if (threshold <= 79) return StrengthChoice{kAggressive, kAggressiveText};
    if (threshold <= 89) return StrengthChoice{kModerate, kModerateText};
    return StrengthChoice{kLenient, kLenientText};
}

int stepThreshold(int value, int delta) {
    long long next = static_cast<long long>(value) + delta;
    return static_cast<int>(std::clamp<long long>(next, 1, 100));
}

}  // namespace tw::options
