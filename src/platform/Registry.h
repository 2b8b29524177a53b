// Registry port: hives, keys and typed values. Calls that fail raise Error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw::platform {

enum class Hive : uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
};

enum class ValueType : uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Dword = 4,         // REG_DWORD
    MultiString = 7,   // REG_MULTI_SZ
};

/// One stored value. Text forms hold their characters without a terminating NUL; `bytes` keeps
/// the raw data of the other types.
struct RegValue {
    ValueType type = ValueType::None;
    std::string text;
    uint32_t dword = 0;
    std::vector<std::string> strings;
    std::vector<uint8_t> bytes;

    static RegValue ofString(std::string s) { RegValue v; v.type = ValueType::String; v.text = std::move(s); return v; }
    static RegValue ofExpandString(std::string s) { RegValue v; v.type = ValueType::ExpandString; v.text = std::move(s); return v; }
    static RegValue ofDword(uint32_t d) { RegValue v; v.type = ValueType::Dword; v.dword = d; return v; }
    static RegValue ofMultiString(std::vector<std::string> s) { RegValue v; v.type = ValueType::MultiString; v.strings = std::move(s); return v; }
    static RegValue ofBinary(std::vector<uint8_t> b) { RegValue v; v.type = ValueType::Binary; v.bytes = std::move(b); return v; }

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

/// Key paths use "\" between levels; a trailing "\" is ignored. Names compare without regard to case.
/// Thread rule: the user-interface thread only.
class Registry {
public:
    virtual ~Registry() = default;

    virtual bool keyExists(Hive hive, const std::string& path) = 0;
    /// Creates the key and every missing level above it.
    virtual void createKey(Hive hive, const std::string& path) = 0;
    /// Deletes a key that has no subkeys; raises when it has some or is missing.
    virtual void deleteKey(Hive hive, const std::string& path) = 0;
    /// Deletes a key with its whole subtree; raises when it is missing.
    virtual void deleteTree(Hive hive, const std::string& path) = 0;

    /// The value, or nothing when the key or the value is missing.
    virtual std::optional<RegValue> queryValue(Hive hive, const std::string& path, const std::string& name) = 0;
    /// Stores a value; raises when the key is missing.
    virtual void setValue(Hive hive, const std::string& path, const std::string& name, const RegValue& value) = 0;
    /// Removes a value; raises when the key or the value is missing.
    virtual void deleteValue(Hive hive, const std::string& path, const std::string& name) = 0;

    /// Names of the values and of the direct subkeys, in the registry's order; raise when the key is missing.
    virtual std::vector<std::string> valueNames(Hive hive, const std::string& path) = 0;
    virtual std::vector<std::string> subkeyNames(Hive hive, const std::string& path) = 0;
};

}  // namespace tw::platform
