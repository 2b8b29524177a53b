// Training calls into the engine: weighted messages, trained totals, the minimum-training switch, extra data.
#include "classify/Training.h"

#include "addin/EngineOptions.h"
#include "addin/OrvennaOutAddIn.h"
#include "classify/AddinParts.h"
#include "classify/MessageContent.h"
#include "core/Error.h"
#include "core/StringTable.h"
#include "settings/NumberText.h"
#include "settings/SettingsLists.h"

namespace tw::classify {

namespace {
constexpr int kProductTitleId = 134;
constexpr int kMinimumTrainingReachedId = 451;

int32_t readTotal(addin::OrvennaOutAddIn& addin, const char* name) {
    try {
        return settings::parseIntegerText(addin.engine().TW_getOption(engineHandleOf(addin), name)).value_or(0);
    } catch (...) {
        return 0;
    }
}
}  // namespace

void Training::trainOnMessage(const std::shared_ptr<outlook::Item>& item, int32_t offset) {
    try {
        addin_.enableEngineTrainingSettings(true);
        if (!item) throw Error(91, "Tarnwick", "There is no message to train.");
        MessageContent& content = messageContentOf(addin_);
        std::string headers = content.getMessageHeaders(*item);
        std::string body = content.getMessageBody(item, getMultiPartBoundary(headers));
        addin_.engine().TW_addMessage(engineHandleOf(addin_), headers, body, offset);
        addin_.enableEngineTrainingSettings(false);
    } catch (...) {
        addin_.log().logError("trainOnMessage");
        // Scoring must not go on without the engine's network checks after a failed training.
        addin_.enableEngineTrainingSettings(false);
    }
}

void Training::getTrainingTotals(int32_t& ham, int32_t& spam) {
    spam = readTotal(addin_, "wordtraining_totalspam");
    ham = readTotal(addin_, "wordtraining_totalham");
}

bool Training::hasReachedMinimumTraining() {
    int32_t ham = 0, spam = 0;
    getTrainingTotals(ham, spam);
    int32_t needed = addin_.library().settings.min_training;
    return ham >= needed && spam >= needed;
}

void Training::checkIfUserWantsMinTraining() {
    auto& s = addin_.library().settings;
    if (!s.enable_word_training) return;
    try {
        int32_t engine = engineHandleOf(addin_);
        if (hasReachedMinimumTraining()) {
            addin_.library().platform().ui.MsgBox(loadString(kMinimumTrainingReachedId), platform::vbOKOnly,
                                                  loadString(kProductTitleId));
            s.use_training = true;
            addin_.engine().TW_setOption(engine, "min_training", std::to_string(s.min_training));
            addin_.settingsKey().writeFlag(s.use_training, "use_training");
        } else {
            addin_.engine().TW_setOption(engine, "min_training", addin::kMinTrainingNotReached);
        }
    } catch (...) {
        addin_.log().logError("checkIfUserWantsMinTraining");
    }
}

void Training::getExtraData(const std::shared_ptr<outlook::Item>& item, KeyedSet& countries, KeyedSet& charsets) {
    try {
        if (!item || item->Class() != outlook::olMail) return;
        MessageContent& content = messageContentOf(addin_);
        std::string headers = content.getMessageHeaders(*item);
        std::string body = content.getMessageBody(item, getMultiPartBoundary(headers));
        auto& engine = addin_.engine();
        int32_t message = engine.TW_getMessage(engineHandleOf(addin_), headers, body);
        // The message handle must go back to the engine even when reading its details fails.
        try {
            std::string list;
            if (engine.TW_getMessageInfo(message, "charsets", list) == 0) settings::ExtractEntries(list, charsets);
            list.clear();
            if (engine.TW_getMessageInfo(message, "countries", list) == 0) settings::ExtractEntries(list, countries);
        } catch (...) {
            engine.TW_delMessage(message);
            throw;
        }
        engine.TW_delMessage(message);
    } catch (...) {
        addin_.log().logError("getExtraData");
    }
}

}  // namespace tw::classify
