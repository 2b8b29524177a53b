// A profile directory: one simulated Windows user with the mail client and the add-in installed.
#pragma once

#include <filesystem>
#include <string>

namespace tw::host {

/// Layout: registry.reg (the user's and the machine's registry), drive_c/ (the user's disk: the
/// add-in folder with its log, the home folder with the data folder), mail/ (the mail store).
class Profile {
public:
    explicit Profile(std::filesystem::path root) : root_(std::move(root)) {}

    /// Fills an absent or empty profile directory from the bundled demo profile; a profile that
    /// already holds files is left as it is. Raises tw::Error when the copy fails.
    void createFromDemoIfEmpty(const std::filesystem::path& demo) const;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path registryFile() const { return root_ / "registry.reg"; }
    std::filesystem::path mailStore() const { return root_ / "mail"; }

    static constexpr const char* kUserName = "demo";
    static constexpr const char* kLibraryFolder = "C:\\Program Files\\Tarnwick";

private:
    std::filesystem::path root_;
};

/// The default profile location: $XDG_DATA_HOME/tarnwick/demo-profile, else ~/.local/share/...
std::filesystem::path defaultProfileDirectory();

}  // namespace tw::host
