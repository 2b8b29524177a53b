// Splits the engine's store report into its lines and tab-separated fields.
#include "engineapi/StoreReport.h"

#include "core/Text.h"

namespace tw::engineapi {

std::vector<StoreRecoveryEvent> parseStoreRecovery(const std::string& text) {
    std::vector<StoreRecoveryEvent> events;
    for (const std::string& line : text::split(text, "\n")) {
        std::vector<std::string> fields = text::split(line, "\t");
        if (fields.size() >= 3 && fields[0] == "recovered") {
            events.push_back({true, fields[1], fields[2], {}});
        } else if (fields.size() >= 3 && fields[0] == "keptaside") {
            events.push_back({false, fields[1], fields[2], fields.size() >= 4 ? fields[3] : std::string()});
        }
    }
    return events;
}

}  // namespace tw::engineapi
