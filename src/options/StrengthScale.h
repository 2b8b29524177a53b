// The spam filter strength: the four presets, and which one a threshold falls under with its text.
#pragma once

#include <optional>

namespace tw::options {

/// The option buttons by number: 1 Lenient, 2 Moderate, 3 Aggressive, 4 Exclusive.
struct StrengthChoice {
    int option;
    int descriptionId;
};

/// The threshold an option button stands for (90, 80, 70, 1).
int strengthPreset(int option);
/// The string id of the option's short name.
int strengthNameId(int option);
/// The option and long description for a threshold of 1 to 100; nothing outside that range.
std::optional<StrengthChoice> strengthFor(int threshold);
/// One step of the up-down control from a value, kept within 1 to 100.
int stepThreshold(int value, int delta);

}  // namespace tw::options
