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
        std::string keptAside;
        for (const auto& event : engineapi::parseStoreRecovery(report)) {
            if (event.recovered) {
                log.LogSeriousErrorMessage("The engine's " + storeName(event.store) + " " + event.path +
                                           " was damaged or missing and was restored from its backup");
                continue;
            }
            std::string where = event.keptAs.empty() ? event.path + " " + loadString(kNotMovedId) : event.keptAs;
            log.LogSeriousErrorMessage("The engine's " + storeName(event.store) + " " + event.path +
                                       " was damaged and had no intact backup; " +
                                       (event.keptAs.empty() ? std::string("it could not be moved aside")
                                                             : "the damaged file is kept as " + event.keptAs) +
                                       ", and the " + storeName(event.store) + " starts empty");
            keptAside += "\r\n" + where;
        }
        if (keptAside.empty()) return;
        ui.MsgBox(loadString(kStoresKeptAsideId) + "\r\n" + keptAside + "\r\n\r\n" + loadString(kStartsEmptyId),
                  platform::vbOKOnly | platform::vbExclamation, loadString(kProductTitleId));
    } catch (...) {
        log.logError("reportEngineStoreDamage");
    }
}

}  // namespace tw::addin
