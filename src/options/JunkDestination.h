// The junk destination drop-down of the Block Options page: its entries, the folder picked
// through "Other...", and the path OK stores.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tw::options {

class JunkDestination {
public:
    /// Fills the standard entries and "Other..."; a stored folder that is none of the standard
    /// ones comes first under its own name.
    JunkDestination(const std::string& junkfolder, const std::string& junkfolderName);

    const std::vector<std::string>& items() const { return items_; }
    int selected() const { return selected_; }
    void select(int index);
    bool otherSelected() const { return selected_ == static_cast<int>(items_.size()) - 1; }
    bool hasCustomEntry() const { return customFirst_; }

    /// A folder picked through "Other...": its path and name.
    void pickFolder(const std::string& path, const std::string& name);

    /// The folder the chosen entry stands for; nothing while "Other..." is chosen.
    std::optional<std::string> chosenPath() const;
    /// The path OK stores: the chosen folder when it is not the stored one (compared in lower case).
    std::optional<std::string> pathToStore() const;

    /// "\", "Personal Folders", "\" and the entry's text.
    static std::string standardPath(const std::string& entry);

private:
    std::string stored_;
    std::vector<std::string> items_;
    int selected_ = 0;
    bool customFirst_ = false;
    std::string customPath_;
};

}  // namespace tw::options
