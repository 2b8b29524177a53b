// The simulated registry: hives of keys and typed values in memory, loaded from and saved to a .reg file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"
#include "sim/FaultInjector.h"

namespace tw::sim {

/// Failures raise Error with source "SimRegistry" and the number Windows would give: 2 for a
/// missing key or value, 5 for a key that cannot be deleted or an injected failure, 161 for a bad
/// key path, 87 for a name the file format cannot hold, 1009 for an unreadable file, 53 and 75
/// for a registry file that is missing or cannot be written.
class SimRegistry : public platform::Registry {
public:
    SimRegistry() = default;

    /// A registry holding exactly what the file says; raises when the file is missing or malformed.
    static SimRegistry loadFromFile(const std::filesystem::path& path);
    /// Applies a registry file's edits on top of the present contents ([-KEY] and "name"=- delete).
    /// A malformed file raises and leaves the registry as it was. `origin` names the file in errors.
    void loadRegFile(const std::string& text, const std::string& origin = "registry file");
    /// The whole registry as a registry file: CRLF lines, keys sorted without regard to case,
    /// values in the order they were first set. Reading it back and writing again gives the same bytes.
    std::string toRegFile() const;
    /// Writes a temporary file beside the target and renames it over, so the old file stays whole
    /// when writing fails. Fault name "saveToFile".
    void saveToFile(const std::filesystem::path& path);

    void failNext(const std::string& operation) { faults_.failNext(operation); }
    void failAlways(const std::string& operation) { faults_.failAlways(operation); }
    void clearFailures() { faults_.clearFailures(); }

    /// Goes up by one with every change, so an owner can tell whether a save is due.
    uint64_t revision() const { return revision_; }

    bool keyExists(platform::Hive hive, const std::string& path) override;
    void createKey(platform::Hive hive, const std::string& path) override;
    void deleteKey(platform::Hive hive, const std::string& path) override;
    void deleteTree(platform::Hive hive, const std::string& path) override;
    std::optional<platform::RegValue> queryValue(platform::Hive hive, const std::string& path, const std::string& name) override;
    void setValue(platform::Hive hive, const std::string& path, const std::string& name, const platform::RegValue& value) override;
    void deleteValue(platform::Hive hive, const std::string& path, const std::string& name) override;
    /// Values in the order they were first set; subkeys sorted without regard to case, as Windows lists them.
    std::vector<std::string> valueNames(platform::Hive hive, const std::string& path) override;
    std::vector<std::string> subkeyNames(platform::Hive hive, const std::string& path) override;

private:
    struct Key {
        std::string name;
        std::vector<std::pair<std::string, platform::RegValue>> values;
        std::vector<Key> subkeys;  // kept sorted by upper-case name
    };
    using Hives = std::array<Key, 4>;

    static Key& root(Hives& hives, platform::Hive hive);
    static Key* find(Hives& hives, platform::Hive hive, const std::vector<std::string>& levels);
    static Key& create(Hives& hives, platform::Hive hive, const std::vector<std::string>& levels);
    static bool removeTree(Hives& hives, platform::Hive hive, const std::vector<std::string>& levels);
    static std::vector<std::string> levelsOf(const std::string& path);
    static void writeKey(const Key& key, const std::string& fullName, bool isRoot, std::string& out);

    void checkFault(const char* operation, platform::Hive hive, const std::string& path);
    Key& existingKey(platform::Hive hive, const std::string& path);

    Hives hives_{};
    FaultInjector faults_;
    uint64_t revision_ = 0;
};

}  // namespace tw::sim
