// Stores and lists settings in a profile's registry file without starting the mail client.
#include "host/SettingsCommands.h"

#include <filesystem>

#include "core/Text.h"
#include "settings/SettingsCatalog.h"
#include "settings/SettingsLoader.h"
#include "sim/SimRegistry.h"

namespace tw::host {

namespace {

sim::SimRegistry loadRegistry(const Profile& profile) {
    if (std::filesystem::exists(profile.registryFile())) return sim::SimRegistry::loadFromFile(profile.registryFile());
    return {};
}

/// The settings as the add-in would load them from this registry; the loader's repairs stay in memory.
settings::Settings loaded(sim::SimRegistry& registry) {
    settings::Settings record;
    settings::loadUserSettings(settings::SettingsKey(registry), record, nullptr, nullptr);
    return record;
}

}  // namespace

int setSettings(const Profile& profile, const std::vector<std::string>& assignments, std::ostream& out,
                std::ostream& err) {
    if (assignments.empty()) {
        err << "tarnwick: set needs at least one NAME=VALUE\n";
        return 2;
    }
    settings::Countries countries;
    std::vector<settings::SettingWrite> writes;
    std::vector<std::string> refusals;
    for (const std::string& assignment : assignments) {
        size_t eq = assignment.find('=');
        if (eq == std::string::npos || eq == 0) {
            refusals.push_back("\"" + assignment + "\" is not of the form NAME=VALUE");
            continue;
        }
        auto prepared = settings::prepareSettingWrite(assignment.substr(0, eq), assignment.substr(eq + 1), countries);
        if (auto* write = std::get_if<settings::SettingWrite>(&prepared)) writes.push_back(std::move(*write));
        else refusals.push_back(std::get<std::string>(prepared));
    }
    if (!refusals.empty()) {
        for (const std::string& reason : refusals) err << "tarnwick: refused: " << reason << "\n";
        err << "tarnwick: nothing was written\n";
        return 2;
    }

    // The writers keep a record up to date as well; here only the stored values matter.
    sim::SimRegistry registry = loadRegistry(profile);
    settings::Settings record;
    settings::SettingsWriters writers(settings::SettingsKey(registry), record);
    for (const settings::SettingWrite& write : writes) {
        if (!write.store(writers)) {
            err << "tarnwick: could not store " << write.name << "; nothing was written\n";
            return 1;
        }
    }
    registry.saveToFile(profile.registryFile());
    for (const settings::SettingWrite& write : writes) out << "Stored " << write.name << "=" << write.shown << "\n";
    return 0;
}

void showSettings(const Profile& profile, std::ostream& out) {
    sim::SimRegistry registry = loadRegistry(profile);
    settings::Settings record = loaded(registry);
    sim::SimRegistry empty;
    settings::Settings defaults = loaded(empty);

    auto inForce = settings::settingsInForce(record, settings::SettingsKey(registry));
    auto standard = settings::settingsInForce(defaults, settings::SettingsKey(empty));
    out << "Settings in force in " << profile.registryFile().string() << " (\"(default)\" marks a default value):\n";
    for (size_t i = 0; i < inForce.size(); ++i) {
        out << "  " << inForce[i].name << "=" << inForce[i].value;
        if (inForce[i].value == standard[i].value) out << "  (default)";
        out << "\n";
    }
}

}  // namespace tw::host
