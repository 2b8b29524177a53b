// The in-memory registry tree behind the registry port, and its .reg file form.
#include "sim/SimRegistry.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/DurableFile.h"
#include "sim/RegFileFormat.h"

namespace tw::sim {

using platform::Hive;
using platform::RegValue;

namespace {

constexpr const char* kSource = "SimRegistry";
constexpr long kNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kInvalidHandle = 6;
constexpr long kBadParameter = 87;
constexpr long kBadPath = 161;
constexpr long kFileNotFound = 53;
constexpr long kFileAccess = 75;

std::string fullName(Hive hive, const std::string& path) {
    std::string name = regfile::hiveName(hive);
    if (!path.empty()) name += "\\" + path;
    while (!name.empty() && name.back() == '\\') name.pop_back();
    return name;
}

bool lessNoCase(const std::string& a, const std::string& b) { return text::upper(a) < text::upper(b); }

void requireWritableName(const std::string& name) {
    if (name.find_first_of("\r\n") != std::string::npos)
        throw Error(kBadParameter, kSource, "A registry name cannot hold a line break");
}

// Stores what Windows would hand back: the value as its bytes read again (texts in UTF-16).
RegValue normalised(const RegValue& value) {
    return regfile::valueFromBytes(value.type, regfile::valueBytes(value));
}

}  // namespace

SimRegistry::Key& SimRegistry::root(Hives& hives, Hive hive) {
    uint32_t index = static_cast<uint32_t>(hive) - static_cast<uint32_t>(Hive::ClassesRoot);
    if (index >= hives.size()) throw Error(kInvalidHandle, kSource, "Unknown registry root key");
    return hives[index];
}

std::vector<std::string> SimRegistry::levelsOf(const std::string& path) {
    if (path.empty()) return {};
    std::vector<std::string> levels = text::split(path, "\\");
    if (levels.size() > 1 && levels.back().empty()) levels.pop_back();
    for (const auto& level : levels)
        if (level.empty()) throw Error(kBadPath, kSource, "Bad registry key path: \"" + path + "\"");
    return levels;
}

SimRegistry::Key* SimRegistry::find(Hives& hives, Hive hive, const std::vector<std::string>& levels) {
    Key* key = &root(hives, hive);
    for (const auto& level : levels) {
        auto it = std::find_if(key->subkeys.begin(), key->subkeys.end(),
                               [&](const Key& k) { return text::iequals(k.name, level); });
        if (it == key->subkeys.end()) return nullptr;
        key = &*it;
    }
    return key;
}

SimRegistry::Key& SimRegistry::create(Hives& hives, Hive hive, const std::vector<std::string>& levels) {
    Key* key = &root(hives, hive);
    for (const auto& level : levels) {
        auto& children = key->subkeys;
        auto it = std::lower_bound(children.begin(), children.end(), level,
                                   [](const Key& k, const std::string& n) { return lessNoCase(k.name, n); });
        if (it == children.end() || !text::iequals(it->name, level)) {
            Key fresh;
            fresh.name = level;
            it = children.insert(it, std::move(fresh));
        }
        key = &*it;
    }
    return *key;
}

bool SimRegistry::removeTree(Hives& hives, Hive hive, const std::vector<std::string>& levels) {
    std::vector<std::string> parentLevels(levels.begin(), levels.end() - 1);
    Key* parent = find(hives, hive, parentLevels);
    if (!parent) return false;
    auto& children = parent->subkeys;
    auto it = std::find_if(children.begin(), children.end(), [&](const Key& k) { return text::iequals(k.name, levels.back()); });
    if (it == children.end()) return false;
    children.erase(it);
    return true;
}

void SimRegistry::checkFault(const char* operation, Hive hive, const std::string& path) {
    if (faults_.trips(operation, {path, fullName(hive, path)}))
        throw Error(kAccessDenied, kSource, std::string("Simulated failure of ") + operation + " on " + fullName(hive, path));
}

SimRegistry::Key& SimRegistry::existingKey(Hive hive, const std::string& path) {
    Key* key = find(hives_, hive, levelsOf(path));
    if (!key) throw Error(kNotFound, kSource, "Registry key not found: " + fullName(hive, path));
    return *key;
}

bool SimRegistry::keyExists(Hive hive, const std::string& path) {
    checkFault("keyExists", hive, path);
    return find(hives_, hive, levelsOf(path)) != nullptr;
}

void SimRegistry::createKey(Hive hive, const std::string& path) {
    checkFault("createKey", hive, path);
    auto levels = levelsOf(path);
    for (const auto& level : levels) requireWritableName(level);
    create(hives_, hive, levels);
    ++revision_;
}

void SimRegistry::deleteKey(Hive hive, const std::string& path) {
    checkFault("deleteKey", hive, path);
    auto levels = levelsOf(path);
    if (levels.empty()) throw Error(kAccessDenied, kSource, "A root key cannot be deleted");
    Key& key = existingKey(hive, path);
    if (!key.subkeys.empty())
        throw Error(kAccessDenied, kSource, "Registry key has subkeys: " + fullName(hive, path));
    removeTree(hives_, hive, levels);
    ++revision_;
}

void SimRegistry::deleteTree(Hive hive, const std::string& path) {
    checkFault("deleteTree", hive, path);
    auto levels = levelsOf(path);
    if (levels.empty()) throw Error(kAccessDenied, kSource, "A root key cannot be deleted");
    if (!removeTree(hives_, hive, levels)) throw Error(kNotFound, kSource, "Registry key not found: " + fullName(hive, path));
    ++revision_;
}

std::optional<RegValue> SimRegistry::queryValue(Hive hive, const std::string& path, const std::string& name) {
    checkFault("queryValue", hive, path);
    Key* key = find(hives_, hive, levelsOf(path));
    if (!key) return std::nullopt;
    for (const auto& [valueName, value] : key->values)
        if (text::iequals(valueName, name)) return value;
    return std::nullopt;
}

void SimRegistry::setValue(Hive hive, const std::string& path, const std::string& name, const RegValue& value) {
    checkFault("setValue", hive, path);
    requireWritableName(name);
    Key& key = existingKey(hive, path);
    RegValue stored = normalised(value);
    for (auto& [valueName, existing] : key.values)
        if (text::iequals(valueName, name)) {
            existing = std::move(stored);
            ++revision_;
            return;
        }
    key.values.emplace_back(name, std::move(stored));
    ++revision_;
}

void SimRegistry::deleteValue(Hive hive, const std::string& path, const std::string& name) {
    checkFault("deleteValue", hive, path);
    Key& key = existingKey(hive, path);
    auto it = std::find_if(key.values.begin(), key.values.end(), [&](const auto& v) { return text::iequals(v.first, name); });
    if (it == key.values.end())
        throw Error(kNotFound, kSource, "Registry value not found: " + fullName(hive, path) + "\\" + name);
    key.values.erase(it);
    ++revision_;
}

std::vector<std::string> SimRegistry::valueNames(Hive hive, const std::string& path) {
    checkFault("valueNames", hive, path);
    std::vector<std::string> names;
    for (const auto& value : existingKey(hive, path).values) names.push_back(value.first);
    return names;
}

std::vector<std::string> SimRegistry::subkeyNames(Hive hive, const std::string& path) {
    checkFault("subkeyNames", hive, path);
    std::vector<std::string> names;
    for (const auto& key : existingKey(hive, path).subkeys) names.push_back(key.name);
    return names;
}

void SimRegistry::loadRegFile(const std::string& text, const std::string& origin) {
    std::vector<regfile::Edit> edits = regfile::parse(text, origin);
    // Edits go to a copy first, so a failure part-way leaves the registry as it was.
    Hives changed = hives_;
    for (const auto& edit : edits) {
        switch (edit.kind) {
        case regfile::Edit::Kind::CreateKey:
            create(changed, edit.hive, edit.keyPath);
            break;
        case regfile::Edit::Kind::DeleteTree:
            removeTree(changed, edit.hive, edit.keyPath);
            break;
        case regfile::Edit::Kind::SetValue: {
            Key& key = create(changed, edit.hive, edit.keyPath);
            RegValue stored = normalised(edit.value);
            auto it = std::find_if(key.values.begin(), key.values.end(),
                                   [&](const auto& v) { return text::iequals(v.first, edit.valueName); });
            if (it != key.values.end()) it->second = std::move(stored);
            else key.values.emplace_back(edit.valueName, std::move(stored));
            break;
        }
        case regfile::Edit::Kind::DeleteValue:
            if (Key* key = find(changed, edit.hive, edit.keyPath))
                std::erase_if(key->values, [&](const auto& v) { return text::iequals(v.first, edit.valueName); });
            break;
        }
    }
    hives_ = std::move(changed);
    ++revision_;
}

void SimRegistry::writeKey(const Key& key, const std::string& name, bool isRoot, std::string& out) {
    if (!isRoot || !key.values.empty()) {
        out += "[" + name + "]\r\n";
        for (const auto& [valueName, value] : key.values) out += regfile::formatValue(valueName, value) + "\r\n";
        out += "\r\n";
    }
    for (const auto& child : key.subkeys) writeKey(child, name + "\\" + child.name, false, out);
}

std::string SimRegistry::toRegFile() const {
    std::string out(regfile::kHeader);
    out += "\r\n\r\n";
    for (size_t i = 0; i < hives_.size(); ++i) {
        Hive hive = static_cast<Hive>(static_cast<uint32_t>(Hive::ClassesRoot) + i);
        writeKey(hives_[i], regfile::hiveName(hive), true, out);
    }
    return out;
}

SimRegistry SimRegistry::loadFromFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw Error(kFileNotFound, kSource, "Registry file not found: " + path.string());
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Error(kFileAccess, kSource, "Cannot read the registry file " + path.string());
    SimRegistry registry;
    registry.loadRegFile(text, path.filename().string());
    return registry;
}

void SimRegistry::saveToFile(const std::filesystem::path& path) {
    if (faults_.trips("saveToFile", {path.string()}))
        throw Error(kFileAccess, kSource, "Simulated failure of saveToFile on " + path.string());
    try {
        writeFileDurably(path, temporaryBeside(path), toRegFile());
    } catch (const std::filesystem::filesystem_error& e) {
        throw Error(kFileAccess, kSource, "Cannot write the registry file " + path.string() + ": " + e.code().message());
    }
}

}  // namespace tw::sim
