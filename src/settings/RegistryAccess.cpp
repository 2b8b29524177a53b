// Reads and writes single registry values for the settings, swallowing every failure.
#include "settings/RegistryAccess.h"

#include "core/StringTable.h"
#include "core/Text.h"
#include "settings/NumberText.h"
#include "settings/SettingsLists.h"

namespace tw::settings {

namespace {
constexpr int kSettingsKeyId = 455;
using platform::Hive;
using platform::ValueType;
}  // namespace

RegVariant RegVariant::ofText(std::string text) {
    RegVariant v;
    v.kind_ = Kind::Text;
    v.text_ = std::move(text);
    return v;
}

RegVariant RegVariant::ofNumber(int32_t number) {
    RegVariant v;
    v.kind_ = Kind::Number;
    v.number_ = number;
    return v;
}

bool RegVariant::isBlank() const { return isEmpty() || (isText() && text::trim(text_).empty()); }

std::optional<int32_t> RegVariant::toInteger() const {
    if (isNumber()) return number_;
    if (isText()) return parseIntegerText(text_);
    return std::nullopt;
}

std::optional<double> RegVariant::toDouble() const {
    if (isNumber()) return number_;
    if (isText()) return parseDecimalText(text_);
    return std::nullopt;
}

std::string RegVariant::toText() const {
    if (isNumber()) return std::to_string(number_);
    return text_;
}

RegVariant readValue(platform::Registry& registry, Hive hive, const std::string& path, const std::string& name) {
    try {
        auto value = registry.queryValue(hive, path, name);
        if (!value) return {};
        if (value->type == ValueType::Dword) return RegVariant::ofNumber(static_cast<int32_t>(value->dword));
        if (value->type != ValueType::String) return {};
        std::string text = value->text;
        if (!text.empty() && text.back() == '\0') text.pop_back();
        return RegVariant::ofText(std::move(text));
    } catch (...) {
        return {};
    }
}

bool writeValue(platform::Registry& registry, Hive hive, std::string path, const std::string& name,
                const RegVariant& value, ValueType type) {
    try {
        if (!path.empty() && path.front() == '\\') path.erase(0, 1);
        if (path.empty()) return false;
        platform::RegValue stored;
        if (type == ValueType::String) {
            // The port hands the text on whole; the registry adapter adds the terminating NUL.
            stored = platform::RegValue::ofString(value.toText());
        } else if (type == ValueType::Dword) {
            auto number = value.toInteger();
            if (!number) return false;
            stored = platform::RegValue::ofDword(static_cast<uint32_t>(*number));
        } else {
            return false;
        }
        registry.createKey(hive, path);
        registry.setValue(hive, path, name, stored);
        return true;
    } catch (...) {
        return false;
    }
}

OleDate readDate(platform::Registry& registry, const std::string& path, const std::string& name) {
    RegVariant value = readValue(registry, Hive::CurrentUser, path, name);
    if (value.isNumber()) return OleDate(value.number());
    return OleDate::parseRegistryText(text::trim(value.text())).value_or(OleDate());
}

SettingsKey::SettingsKey(platform::Registry& registry) : SettingsKey(registry, loadString(kSettingsKeyId)) {}

SettingsKey::SettingsKey(platform::Registry& registry, std::string path) : registry_(registry), path_(std::move(path)) {}

RegVariant SettingsKey::read(const std::string& name) const { return readValue(registry_, Hive::CurrentUser, path_, name); }

bool SettingsKey::writeString(const std::string& name, const std::string& text) const {
    return writeValue(registry_, Hive::CurrentUser, path_, name, RegVariant::ofText(text), ValueType::String);
}

bool SettingsKey::writeNumber(const std::string& name, int32_t number) const {
    return writeValue(registry_, Hive::CurrentUser, path_, name, RegVariant::ofNumber(number), ValueType::Dword);
}

bool SettingsKey::writeFlag(bool flag, const std::string& name) const { return writeNumber(name, flag ? 1 : 0); }

bool SettingsKey::writeDouble(double value, const std::string& name) const {
    return writeString(name, decimalText(value));
}

bool SettingsKey::writeList(const KeyedSet& list, const std::string& name) const {
    return writeString(name, getCommaStringFromCollection(list));
}

bool SettingsKey::writeDate(const std::string& name, OleDate date) const {
    return writeString(name, date.toRegistryText());
}

OleDate SettingsKey::readDate(const std::string& name) const { return settings::readDate(registry_, path_, name); }

int32_t SettingsKey::getNumberFromRegistry(const std::string& name) const { return read(name).toInteger().value_or(0); }

}  // namespace tw::settings
