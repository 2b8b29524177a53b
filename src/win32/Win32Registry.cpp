// Registry port over the Win32 registry functions, UTF-8 outside and UTF-16 inside.
#include "win32/Win32Registry.h"

#include <cstring>

#include <windows.h>

#include "core/Error.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Error.h"

namespace tw::win32 {
namespace {

using platform::Hive;
using platform::RegValue;
using platform::ValueType;

constexpr const char* kSource = "Win32Registry";

HKEY rootKey(Hive hive) {
    switch (hive) {
        case Hive::ClassesRoot: return HKEY_CLASSES_ROOT;
        case Hive::CurrentUser: return HKEY_CURRENT_USER;
        case Hive::LocalMachine: return HKEY_LOCAL_MACHINE;
        case Hive::Users: return HKEY_USERS;
    }
    throw Error(ERROR_INVALID_PARAMETER, kSource, "Unknown registry hive");
}

const char* hiveName(Hive hive) {
    switch (hive) {
        case Hive::ClassesRoot: return "HKEY_CLASSES_ROOT";
        case Hive::CurrentUser: return "HKEY_CURRENT_USER";
        case Hive::LocalMachine: return "HKEY_LOCAL_MACHINE";
        case Hive::Users: return "HKEY_USERS";
    }
    return "?";
}

/// The path without the trailing "\" the port allows, which the registry functions would refuse.
std::string trimmedPath(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    return trimmed;
}

std::string describe(Hive hive, const std::string& path) {
    return path.empty() ? std::string(hiveName(hive)) : std::string(hiveName(hive)) + "\\" + path;
}

bool isMissing(LONG status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    HKEY* out() { return &key_; }

private:
    HKEY key_ = nullptr;
};

/// Opens a key; the status tells a missing key from other failures.
LONG openKey(HKEY parent, const std::wstring& path, REGSAM access, KeyHandle& key) {
    return RegOpenKeyExW(parent, path.c_str(), 0, access, key.out());
}

void openExistingKey(Hive hive, const std::string& path, REGSAM access, KeyHandle& key) {
    const LONG status = openKey(rootKey(hive), toWide(path), access, key);
    if (status != ERROR_SUCCESS) raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot open key " + describe(hive, path));
}

DWORD subkeyCount(HKEY key) {
    DWORD count = 0;
    const LONG status =
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot read key information");
    return count;
}

std::vector<std::wstring> enumerateSubkeys(HKEY key) {
    std::vector<std::wstring> names;
    std::wstring buffer(256, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG status = RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            --index;
            continue;
        }
        if (status != ERROR_SUCCESS) raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot list subkeys");
        names.emplace_back(buffer.data(), length);
    }
    return names;
}

/// Deletes the children first, so this works where RegDeleteTree does not exist.
void deleteSubtree(HKEY parent, const std::wstring& name, const std::string& shownPath) {
    {
        KeyHandle key;
        const LONG status = openKey(parent, name, KEY_READ | DELETE, key);
        if (status != ERROR_SUCCESS) raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot open key " + shownPath);
        // Names are gathered before deleting so that deletion does not shift the enumeration.
        for (const std::wstring& child : enumerateSubkeys(key.get())) {
            deleteSubtree(key.get(), child, shownPath + "\\" + toUtf8(child));
        }
    }
    const LONG status = RegDeleteKeyW(parent, name.c_str());
    if (status != ERROR_SUCCESS) raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot delete key " + shownPath);
}

/// Splits "A\B\C" into the parent path "A\B" and the last level "C".
std::pair<std::string, std::string> splitLast(const std::string& path) {
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return {std::string(), path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

std::wstring wideFromBytes(const std::vector<uint8_t>& bytes) {
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    return text;
}

RegValue decodeValue(DWORD type, const std::vector<uint8_t>& bytes) {
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ: {
            // Stored strings may lack their terminator or carry more than one.
            std::wstring text = wideFromBytes(bytes);
            const size_t nul = text.find(L'\0');
            if (nul != std::wstring::npos) text.resize(nul);
            return type == REG_SZ ? RegValue::ofString(toUtf8(text)) : RegValue::ofExpandString(toUtf8(text));
        }
        case REG_MULTI_SZ: {
            const std::wstring text = wideFromBytes(bytes);
            std::vector<std::string> strings;
            size_t start = 0;
            while (start < text.size()) {
                size_t end = text.find(L'\0', start);
                if (end == std::wstring::npos) end = text.size();
                if (end == start) break;  // the empty string that closes the list
                strings.push_back(toUtf8(std::wstring_view(text).substr(start, end - start)));
                start = end + 1;
            }
            return RegValue::ofMultiString(std::move(strings));
        }
        case REG_DWORD: {
            uint32_t number = 0;
            if (!bytes.empty()) std::memcpy(&number, bytes.data(), bytes.size() < sizeof number ? bytes.size() : sizeof number);
            return RegValue::ofDword(number);
        }
        default: {
            RegValue value;
            value.type = static_cast<ValueType>(type);
            value.bytes = bytes;
            return value;
        }
    }
}

std::vector<uint8_t> bytesOfWide(const std::wstring& text) {
    std::vector<uint8_t> bytes(text.size() * sizeof(wchar_t));
    if (!bytes.empty()) std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

std::vector<uint8_t> encodeValue(const RegValue& value) {
    switch (value.type) {
        case ValueType::String:
        case ValueType::ExpandString: {
            std::wstring text = toWide(value.text);
            text.push_back(L'\0');  // readers that trust the terminator must find it
            return bytesOfWide(text);
        }
        case ValueType::MultiString: {
            std::wstring text;
            for (const std::string& s : value.strings) {
                // An empty entry would end the list early and silently drop the entries after it.
                if (s.empty()) throw Error(ERROR_INVALID_PARAMETER, kSource, "A multi-string value cannot hold an empty string");
                text += toWide(s);
                text.push_back(L'\0');
            }
            text.push_back(L'\0');
            if (value.strings.empty()) text.push_back(L'\0');
            return bytesOfWide(text);
        }
        case ValueType::Dword: {
            std::vector<uint8_t> bytes(sizeof value.dword);
            std::memcpy(bytes.data(), &value.dword, sizeof value.dword);
            return bytes;
        }
        default: return value.bytes;
    }
}

}  // namespace

bool Win32Registry::keyExists(Hive hive, const std::string& path) {
    KeyHandle key;
    const LONG status = openKey(rootKey(hive), toWide(trimmedPath(path)), KEY_READ, key);
    if (status == ERROR_SUCCESS) return true;
    if (isMissing(status)) return false;
    // A key we may not read is still there.
    if (status == ERROR_ACCESS_DENIED) return true;
    raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot open key " + describe(hive, path));
}

void Win32Registry::createKey(Hive hive, const std::string& path) {
    const std::string trimmed = trimmedPath(path);
    KeyHandle key;
    const LONG status = RegCreateKeyExW(rootKey(hive), toWide(trimmed).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_READ | KEY_WRITE, nullptr, key.out(), nullptr);
    if (status != ERROR_SUCCESS) raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot create key " + describe(hive, trimmed));
}

void Win32Registry::deleteKey(Hive hive, const std::string& path) {
    const std::string trimmed = trimmedPath(path);
    if (trimmed.empty()) throw Error(ERROR_INVALID_PARAMETER, kSource, "Cannot delete a whole hive");
    {
        KeyHandle key;
        openExistingKey(hive, trimmed, KEY_READ, key);
        // Older systems delete the subtree here without asking; the port promises they refuse.
        if (subkeyCount(key.get()) != 0) {
            throw Error(ERROR_ACCESS_DENIED, kSource, "Cannot delete key " + describe(hive, trimmed) + ": it has subkeys");
        }
    }
    const auto [parent, leaf] = splitLast(trimmed);
    KeyHandle parentKey;
    openExistingKey(hive, parent, KEY_READ | KEY_WRITE, parentKey);
    const LONG status = RegDeleteKeyW(parentKey.get(), toWide(leaf).c_str());
    if (status != ERROR_SUCCESS) raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot delete key " + describe(hive, trimmed));
}

void Win32Registry::deleteTree(Hive hive, const std::string& path) {
    const std::string trimmed = trimmedPath(path);
    if (trimmed.empty()) throw Error(ERROR_INVALID_PARAMETER, kSource, "Cannot delete a whole hive");
    const auto [parent, leaf] = splitLast(trimmed);
    KeyHandle parentKey;
    openExistingKey(hive, parent, KEY_READ | KEY_WRITE, parentKey);
    deleteSubtree(parentKey.get(), toWide(leaf), describe(hive, trimmed));
}

std::optional<RegValue> Win32Registry::queryValue(Hive hive, const std::string& path, const std::string& name) {
    KeyHandle key;
    const LONG openStatus = openKey(rootKey(hive), toWide(trimmedPath(path)), KEY_QUERY_VALUE, key);
    if (isMissing(openStatus)) return std::nullopt;
    if (openStatus != ERROR_SUCCESS) {
        raiseWin32Error(static_cast<uint32_t>(openStatus), kSource, "Cannot open key " + describe(hive, path));
    }
    const std::wstring wideName = toWide(name);
    std::vector<uint8_t> bytes(64);
    DWORD type = REG_NONE;
    for (;;) {
        DWORD size = static_cast<DWORD>(bytes.size());
        const LONG status = RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, bytes.data(), &size);
        if (isMissing(status)) return std::nullopt;
        if (status == ERROR_MORE_DATA) {
            // The value may grow between two calls, so ask again with what it says now.
            bytes.resize(size > bytes.size() ? size : bytes.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS) {
            raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot read value " + name + " of " + describe(hive, path));
        }
        bytes.resize(size);
        return decodeValue(type, bytes);
    }
}

void Win32Registry::setValue(Hive hive, const std::string& path, const std::string& name, const RegValue& value) {
    KeyHandle key;
    openExistingKey(hive, trimmedPath(path), KEY_SET_VALUE, key);
    const std::vector<uint8_t> bytes = encodeValue(value);
    const LONG status = RegSetValueExW(key.get(), toWide(name).c_str(), 0, static_cast<DWORD>(value.type),
                                       bytes.empty() ? nullptr : bytes.data(), static_cast<DWORD>(bytes.size()));
    if (status != ERROR_SUCCESS) {
        raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot write value " + name + " of " + describe(hive, path));
    }
}

void Win32Registry::deleteValue(Hive hive, const std::string& path, const std::string& name) {
    KeyHandle key;
    openExistingKey(hive, trimmedPath(path), KEY_SET_VALUE, key);
    const LONG status = RegDeleteValueW(key.get(), toWide(name).c_str());
    if (status != ERROR_SUCCESS) {
        raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot delete value " + name + " of " + describe(hive, path));
    }
}

std::vector<std::string> Win32Registry::valueNames(Hive hive, const std::string& path) {
    KeyHandle key;
    openExistingKey(hive, trimmedPath(path), KEY_QUERY_VALUE, key);
    std::vector<std::string> names;
    std::wstring buffer(256, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG status = RegEnumValueW(key.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            --index;
            continue;
        }
        if (status != ERROR_SUCCESS) raiseWin32Error(static_cast<uint32_t>(status), kSource, "Cannot list values of " + describe(hive, path));
        names.push_back(toUtf8(std::wstring_view(buffer.data(), length)));
    }
    return names;
}

std::vector<std::string> Win32Registry::subkeyNames(Hive hive, const std::string& path) {
    KeyHandle key;
    openExistingKey(hive, trimmedPath(path), KEY_READ, key);
    std::vector<std::string> names;
    for (const std::wstring& name : enumerateSubkeys(key.get())) names.push_back(toUtf8(name));
    return names;
}

}  // namespace tw::win32
