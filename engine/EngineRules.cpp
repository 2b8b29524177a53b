// The engine's use of its shipped rules: where they are read from, and when.
#include "Engine.h"
#include "FileIo.h"
#include "TextUtil.h"

namespace tarn::engine {

std::string Engine::installedRulesFolder() const {
    std::string folder(trim(options_.text("rules_folder")));
    return folder.empty() ? directory_ : folder;
}

std::string Engine::updatedRulesFolder() const {
    const std::string data = dataFolder();
    return data.empty() ? std::string() : joinPath(data, "rules");
}

const RuleSet* Engine::rulesInForce() {
    if (!options_.flag("enable_rules")) return nullptr;
    const std::string installed = installedRulesFolder(), updated = updatedRulesFolder();
    const std::string from = installed + '\n' + updated;
    if (!rulesLoaded_ || from != rulesLoadedFrom_) {
        rules_.load(installed, updated);
        rulesLoaded_ = true;
        rulesLoadedFrom_ = from;
    }
    return rules_.words().empty() ? nullptr : &rules_;
}

int32_t Engine::reloadRules() {
    std::lock_guard lock(mutex_);
    rulesLoaded_ = false;
    rulesInForce();
    return kOk;
}

}  // namespace tarn::engine
