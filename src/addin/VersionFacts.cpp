// Works out the mail client's version facts.
#include "addin/VersionFacts.h"

#include <cstdlib>

#include "core/Text.h"

namespace tw::addin {

namespace {
int leadingInteger(const std::string& s) {
    std::string t = text::trim(s);
    return t.empty() ? 0 : std::atoi(t.c_str());
}
}  // namespace

VersionFacts identifyVersion(const std::string& version, platform::Registry& registry) {
    VersionFacts facts;
    auto parts = text::split(version, ".");
    facts.majorVersion = leadingInteger(parts[0]);
    if (facts.majorVersion != 9) {
        facts.isHighSecurity = true;
    } else {
        int build = parts.size() > 3 ? leadingInteger(parts[3]) : 0;
        facts.isHighSecurity = build >= 4201;
    }

    std::string key = std::string("Software\\Microsoft\\Office\\") + (facts.majorVersion == 9 ? "9.0" : "10.0") +
                      "\\Outlook\\Setup";
    facts.isInternetMailMode = true;
    try {
        if (auto value = registry.queryValue(platform::Hive::CurrentUser, key, "MailSupport")) {
            if (value->type == platform::ValueType::Dword) facts.isInternetMailMode = value->dword == 0;
            else facts.isInternetMailMode = leadingInteger(value->text) == 0;
        }
    } catch (...) {
        // An unreadable key reads as absent.
    }
    return facts;
}

}  // namespace tw::addin
