// RegOp: one registry key of the two small programs, read and written with the type rules they rely on.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"
#include "regop/RegData.h"

namespace tw::regop {

/// Every operation opens the key first and creates it when it is missing. Registry failures never
/// raise: a read gives nothing, a write does nothing, a list is empty, a deletion gives false. Only
/// a value that cannot be converted to the stored type (a text that is no number for a 32-bit
/// number) raises Error, as the conversion itself fails before the registry is touched.
class RegOp {
public:
    enum Option : int {
        NumbersAsText = 1,       ///< write numbers as strings
        StringListsAsArrays = 2, ///< read multi-strings as lists instead of one NUL-separated text
        ExpandReferences = 4,    ///< expand environment references of expandable strings when reading
        ShowErrors = 8,          ///< show the three error texts in a message box
    };

    RegOp(platform::Registry& registry, platform::Shell& shell, platform::UserInterface& ui);

    /// Only the classes root, the current user and the local machine; anything else is the current user.
    void setRoot(platform::Hive root);
    platform::Hive root() const { return root_; }
    /// An empty path is ignored; a different path (compared without regard to case) reopens.
    void setKey(const std::string& path);
    const std::string& key() const { return key_; }
    /// Values outside 0-15 are ignored.
    void setOptions(int options);

    /// The value's content, or nothing when it is missing. An empty name is the key's default value.
    RegData value(const std::string& name);
    /// Writes a value, converted to the type already stored. Nothing is written for an empty content.
    void setValue(const std::string& name, const RegData& content);
    /// Names and contents of every value, in the registry's order.
    std::vector<std::pair<std::string, RegData>> allValues();
    std::vector<std::string> allKeys();
    bool deleteValue(const std::string& name);
    /// Deletes the last level of the key path, with its subtree; the key becomes the parent path.
    bool deleteKey();

    /// The counts of the key as last queried.
    size_t valueCount() const { return valueCount_; }
    size_t keyCount() const { return keyCount_; }

private:
    enum class Access { Read, Write, Delete };

    bool open(Access needed);
    void reopen();
    void queryCounts();
    bool fillCache();
    RegData contentOf(const platform::RegValue& stored);
    void afterChange();
    platform::RegValue storedFormOf(const RegData& content);
    bool holdsEnvironmentReference(const std::string& text);
    void report(const std::string& message);

    platform::Registry& registry_;
    platform::Shell& shell_;
    platform::UserInterface& ui_;

    platform::Hive root_ = platform::Hive::CurrentUser;
    std::string key_;
    int options_ = 0;

    bool isOpen_ = false;
    Access openedWith_ = Access::Read;
    Access needed_ = Access::Read;
    size_t valueCount_ = 0;
    size_t keyCount_ = 0;
    /// Filled with every value on the first read, emptied on reopening and after every change.
    std::vector<std::pair<std::string, RegData>> cache_;
};

}  // namespace tw::regop
