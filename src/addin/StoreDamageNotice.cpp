// The engine's store report turned into log lines and one message box.
#include "addin/StoreDamageNotice.h"

#include <string>

#include "core/StringTable.h"
#include "engineapi/StoreReport.h"

namespace tw::addin {

namespace {

constexpr int kProductTitleId = 134;
constexpr int kStoresKeptAsideId = 1250;
constexpr int kNotMovedId = 1251;
constexpr int kStartsEmptyId = 1252;

std::string storeName(const std::string& store) {
    return store == "addresses" ? "address store" : store == "words" ? "word store" : store + " store";
}

}  // namespace

void reportEngineStoreDamage(engineapi::EngineLibrary& engine, int32_t handle, diag::CErrorHandler& log,
                             platform::UserInterface& ui) {
    try {
        if (handle == 0) return;
        int32_t status = 0;
        std::string report = engine.getLongOption(handle, TW_STORE_RECOVERY_OPTION, &status);
        if (status != 0) return;  // an engine without the report has nothing to tell
        auto events = engineapi::parseStoreRecovery(report);
        auto recovered = [&](const std::string& store) {
            for (const auto& event : events)
                if (event.recovered && event.store == store) return true;
            return false;
        };
        std::string keptAside;
        for (const auto& event : events) {
            const std::string what = "The engine's " + storeName(event.store) + " ";
            if (event.recovered) {
                log.LogSeriousErrorMessage(what + event.path + " was damaged or missing and was restored from its backup");
            } else if (recovered(event.store)) {
                // Nothing was lost, so the user is not troubled; the log keeps where the damaged file went.
                log.LogSeriousErrorMessage(what + event.path + " was damaged; " +
                                           (event.keptAs.empty() ? std::string("it could not be moved aside")
                                                                 : "the damaged file is kept as " + event.keptAs));
            } else {
                log.LogSeriousErrorMessage(what + event.path + " was damaged and had no intact backup; " +
                                           (event.keptAs.empty() ? std::string("it could not be moved aside")
                                                                 : "the damaged file is kept as " + event.keptAs) +
                                           ", and the " + storeName(event.store) + " starts empty");
                keptAside += "\r\n" + (event.keptAs.empty() ? event.path + " " + loadString(kNotMovedId) : event.keptAs);
            }
        }
        if (keptAside.empty()) return;
        ui.MsgBox(loadString(kStoresKeptAsideId) + "\r\n" + keptAside + "\r\n\r\n" + loadString(kStartsEmptyId),
                  platform::vbOKOnly | platform::vbExclamation, loadString(kProductTitleId));
    } catch (...) {
        log.logError("reportEngineStoreDamage");
    }
}

}  // namespace tw::addin
