// The thin registry layer of the settings: single values read and written in their stored forms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/KeyedSet.h"
#include "core/OleDate.h"
#include "platform/Registry.h"

namespace tw::settings {

/// A value as the settings read it: text (REG_SZ), a 32-bit number (REG_DWORD), or nothing.
class RegVariant {
public:
    RegVariant() = default;
    static RegVariant ofText(std::string text);
    static RegVariant ofNumber(int32_t number);

    bool isEmpty() const { return kind_ == Kind::Empty; }
    bool isText() const { return kind_ == Kind::Text; }
    bool isNumber() const { return kind_ == Kind::Number; }
    const std::string& text() const { return text_; }
    int32_t number() const { return number_; }

    /// Nothing, or text that is empty once blanks are trimmed: the loader treats both as absent.
    bool isBlank() const;
    /// The number, or text holding a whole decimal number.
    std::optional<int32_t> toInteger() const;
    /// The number, or decimal text with a point or a comma.
    std::optional<double> toDouble() const;
    /// The text, or the decimal text of the number; empty for nothing.
    std::string toText() const;

    friend bool operator==(const RegVariant&, const RegVariant&) = default;

private:
    enum class Kind { Empty, Text, Number };
    Kind kind_ = Kind::Empty;
    std::string text_;
    int32_t number_ = 0;
};

/// Text for REG_SZ (one trailing NUL dropped), the number for REG_DWORD; nothing for a missing
/// value, any other type or any failure. Never raises.
RegVariant readValue(platform::Registry& registry, platform::Hive hive, const std::string& path, const std::string& name);

/// Stores a REG_SZ (the value's text) or a REG_DWORD (the value as a 32-bit number), creating the
/// key when needed. A leading "\" of the path is dropped; an empty path, a value that is no
/// number for REG_DWORD, another type or any failure gives false. Never raises.
bool writeValue(platform::Registry& registry, platform::Hive hive, std::string path, const std::string& name,
                const RegVariant& value, platform::ValueType type);

/// A date stored as the text of its serial number under the current user's hive; 0 when absent or unreadable.
OleDate readDate(platform::Registry& registry, const std::string& path, const std::string& name);

/// The add-in's own key under the current user ("Software\Orvenna\") with the shorthands on it.
class SettingsKey {
public:
    explicit SettingsKey(platform::Registry& registry);
    SettingsKey(platform::Registry& registry, std::string path);

    platform::Registry& registry() const { return registry_; }
    const std::string& path() const { return path_; }

    RegVariant read(const std::string& name) const;
    bool writeString(const std::string& name, const std::string& text) const;
    bool writeNumber(const std::string& name, int32_t number) const;
    bool writeFlag(bool flag, const std::string& name) const;
    /// REG_SZ of the number's text, always with a decimal point.
    bool writeDouble(double value, const std::string& name) const;
    /// REG_SZ of the entries joined by ",".
    bool writeList(const KeyedSet& list, const std::string& name) const;
    /// REG_SZ of the date's serial number.
    bool writeDate(const std::string& name, OleDate date) const;
    OleDate readDate(const std::string& name) const;
    /// The 32-bit number stored under the name; 0 when absent or not a number.
    int32_t getNumberFromRegistry(const std::string& name) const;

private:
    platform::Registry& registry_;
    std::string path_;
};

}  // namespace tw::settings
