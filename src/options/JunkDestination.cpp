// The junk destination entries and the folder they stand for.
#include "options/JunkDestination.h"

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw::options {

namespace {
constexpr int kTarnwickId = 243, kJunkMailId = 242, kDeletedItemsId = 244, kOtherId = 245, kPersonalFoldersId = 246;
constexpr int kStandardEntries = 3;
}  // namespace

JunkDestination::JunkDestination(const std::string& junkfolder, const std::string& junkfolderName)
    : stored_(junkfolder) {
    for (int id : {kTarnwickId, kJunkMailId, kDeletedItemsId, kOtherId}) items_.push_back(loadString(id));
    const std::string wanted = text::lower(junkfolder);
    for (int i = 0; i < kStandardEntries; ++i)
        if (text::lower(standardPath(items_[static_cast<size_t>(i)])) == wanted) {
            selected_ = i;
            return;
        }
    items_.insert(items_.begin(), junkfolderName);
    customFirst_ = true;
    selected_ = 0;
}

std::string JunkDestination::standardPath(const std::string& entry) {
    return "\\" + loadString(kPersonalFoldersId) + "\\" + entry;
}

void JunkDestination::select(int index) {
    if (index >= 0 && index < static_cast<int>(items_.size())) selected_ = index;
}

void JunkDestination::pickFolder(const std::string& path, const std::string& name) {
    customPath_ = path;
    if (customFirst_) {
        items_[0] = name;
        selected_ = 0;
        return;
    }
    const std::string wanted = text::lower(path);
    for (int i = 0; i < kStandardEntries; ++i)
        if (text::lower(standardPath(items_[static_cast<size_t>(i)])) == wanted) {
            selected_ = i;
            customPath_.clear();
            return;
        }
    items_.insert(items_.begin(), name);
    customFirst_ = true;
    selected_ = 0;
}

std::optional<std::string> JunkDestination::chosenPath() const {
    if (otherSelected()) return std::nullopt;
    if (customFirst_ && selected_ == 0) return customPath_.empty() ? stored_ : customPath_;
    return standardPath(items_[static_cast<size_t>(selected_)]);
}

std::optional<std::string> JunkDestination::pathToStore() const {
    auto chosen = chosenPath();
    if (!chosen || chosen->empty() || text::lower(*chosen) == text::lower(stored_)) return std::nullopt;
    return chosen;
}

}  // namespace tw::options
