// Registry port over the Win32 registry functions, UTF-8 outside and UTF-16 inside.
#pragma once

#include "platform/Registry.h"

namespace tw::win32 {

class Win32Registry final : public platform::Registry {
public:
    bool keyExists(platform::Hive hive, const std::string& path) override;
    void createKey(platform::Hive hive, const std::string& path) override;
    void deleteKey(platform::Hive hive, const std::string& path) override;
    void deleteTree(platform::Hive hive, const std::string& path) override;

    std::optional<platform::RegValue> queryValue(platform::Hive hive, const std::string& path,
                                                 const std::string& name) override;
    void setValue(platform::Hive hive, const std::string& path, const std::string& name,
                  const platform::RegValue& value) override;
    void deleteValue(platform::Hive hive, const std::string& path, const std::string& name) override;

    std::vector<std::string> valueNames(platform::Hive hive, const std::string& path) override;
    std::vector<std::string> subkeyNames(platform::Hive hive, const std::string& path) override;
};

}  // namespace tw::win32
