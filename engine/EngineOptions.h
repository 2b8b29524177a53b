// The engine's options by name: every value is kept as text, the ones the engine acts on are read typed.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace tarn::engine {

class EngineOptions {
public:
    EngineOptions();

    void set(const std::string& name, const std::string& value);
    bool has(const std::string& name) const;
    /// The kept text; empty when never set and without default.
    std::string text(const std::string& name) const;
    /// "yes", "true", "on" and non-zero numbers are true; anything else false.
    bool flag(const std::string& name) const;
    /// The value as a number, or `fallback` when it is not one.
    int64_t number(const std::string& name, int64_t fallback) const;

private:
    std::map<std::string, std::string> values_;
};

}  // namespace tarn::engine
