// Everything that lives once per load of the add-in library: the log, the settings record, the
// window-wrapper collections and their counters. It outlives every connection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "addin/OpenForms.h"
#include "diag/CErrorHandler.h"
#include "platform/Platform.h"
#include "settings/Countries.h"
#include "settings/Settings.h"

namespace tw::commandbars {
class ExplWrap;
class InspWrap;
}  // namespace tw::commandbars

namespace tw::addin {

class OrvennaOutAddIn;

/// A collection keyed by text that keeps insertion order, as the wrapper lists are.
template <typename T>
class KeyedCollection {
public:
    void add(const std::string& key, std::shared_ptr<T> value) { entries_.emplace_back(key, std::move(value)); }
    std::shared_ptr<T> find(const std::string& key) const {
        for (const auto& [k, v] : entries_)
            if (k == key) return v;
        return nullptr;
    }
    void remove(const std::string& key) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->first == key) {
                entries_.erase(it);
                return;
            }
    }
    size_t count() const { return entries_.size(); }
    void clear() { entries_.clear(); }
    std::vector<std::shared_ptr<T>> values() const {
        std::vector<std::shared_ptr<T>> out;
        for (const auto& e : entries_) out.push_back(e.second);
        return out;
    }

private:
    std::vector<std::pair<std::string, std::shared_ptr<T>>> entries_;
};

class AddinLibrary {
public:
    explicit AddinLibrary(platform::Platform& platform)
        : openForms_(platform.ui),
          platform_{platform.registry, platform.files,     platform.shell,   openForms_,
                    platform.clock,    platform.libraries, platform.safeMail} {}
    AddinLibrary(const AddinLibrary&) = delete;
    AddinLibrary& operator=(const AddinLibrary&) = delete;

    /// The ports the add-in works with: the given ones, with the user interface seen through openForms.
    platform::Platform& platform() { return platform_; }
    /// The forms the add-in has open, which teardown closes.
    OpenForms& openForms() { return openForms_; }

    /// The log is made at the first connection that opens a window and kept until the library unloads.
    diag::CErrorHandler& ensureLog();
    diag::CErrorHandler* log() { return log_.get(); }

    settings::Settings settings;
    std::string settingsKeyPath;
    /// The country table, made at start-up and released at teardown.
    std::unique_ptr<settings::Countries> countries;

    KeyedCollection<commandbars::ExplWrap> colExplWraps;
    KeyedCollection<commandbars::InspWrap> colInspWraps;
    int16_t nextExplKey = 0;
    int16_t nextInspKey = 0;
    bool newExplorerFlag = false;

private:
    OpenForms openForms_;
    platform::Platform platform_;
    std::unique_ptr<diag::CErrorHandler> log_;
};

}  // namespace tw::addin
