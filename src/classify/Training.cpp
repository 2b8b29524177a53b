// Training calls into the engine: weighted messages, trained totals, the minimum-training switch, extra data.
#include "classify/Training.h"

#include "classify/AddinParts.h"
#include "classify/ClassifyHost.h"
#include "classify/MessageContent.h"
#include "core/Error.h"
#include "core/StringTable.h"
#include "settings/NumberText.h"
#include "settings/SettingsLists.h"

namespace tw::classify {

namespace {
constexpr int kProductTitleId = 134;
constexpr int kMinimumTrainingReachedId = 451;

int32_t readTotal(ClassifyHost& host, const char* name) {
    try {
        return settings::parseIntegerText(host.engine().TW_getOption(engineHandleOf(host), name)).value_or(0);
    } catch (...) {
        return 0;
    }
}
}  // namespace

void Training::trainOnMessage(const std::shared_ptr<outlook::Item>& item, int32_t offset) {
    try {
        host_.enableEngineTrainingSettings(true);
        if (!item) throw Error(91, "Tarnwick", "There is no message to train.");
        MessageContent& content = messageContentOf(host_);
        std::string headers = content.getMessageHeaders(*item);
        std::string body = content.getMessageBody(item, getMultiPartBoundary(headers));
        host_.engine().TW_addMessage(engineHandleOf(host_), headers, body, offset);
        host_.enableEngineTrainingSettings(false);
    } catch (...) {
        host_.log().logError("trainOnMessage");
        // Scoring must not go on without the engine's network checks after a failed training.
        host_.enableEngineTrainingSettings(false);
    }
}

void Training::getTrainingTotals(int32_t& ham, int32_t& spam) {
    spam = readTotal(host_, "wordtraining_totalspam");
    ham = readTotal(host_, "wordtraining_totalham");
}

bool Training::hasReachedMinimumTraining() {
    int32_t ham = 0, spam = 0;
    getTrainingTotals(ham, spam);
    int32_t needed = host_.settings().min_training;
    return ham >= needed && spam >= needed;
}

void Training::checkIfUserWantsMinTraining() {
    auto& s = host_.settings();
    if (!s.enable_word_training) return;
    try {
        int32_t engine = engineHandleOf(host_);
        if (hasReachedMinimumTraining()) {
            const ConnectionToken connection = host_.connection();
            host_.platform().ui.MsgBox(loadString(kMinimumTrainingReachedId), platform::vbOKOnly,
                                                  loadString(kProductTitleId));
            // Closed around the box: the engine handle is gone, and the next start asks again.
            if (!connection.alive()) return;
            s.use_training = true;
            host_.engine().TW_setOption(engine, "min_training", std::to_string(s.min_training));
            host_.settingsKey().writeFlag(s.use_training, "use_training");
        } else {
            host_.engine().TW_setOption(engine, "min_training", engineapi::kMinTrainingNotReached);
        }
    } catch (...) {
        host_.log().logError("checkIfUserWantsMinTraining");
    }
}

void Training::getExtraData(const std::shared_ptr<outlook::Item>& item, KeyedSet& countries, KeyedSet& charsets) {
    try {
        if (!item || item->Class() != outlook::olMail) return;
        MessageContent& content = messageContentOf(host_);
        std::string headers = content.getMessageHeaders(*item);
        std::string body = content.getMessageBody(item, getMultiPartBoundary(headers));
        auto& engine = host_.engine();
        int32_t message = engine.TW_getMessage(engineHandleOf(host_), headers, body);
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
        host_.log().logError("getExtraData");
    }
}

}  // namespace tw::classify
