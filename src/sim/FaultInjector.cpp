// Matching of armed failures against the calls made on a sim adapter.
#include "sim/FaultInjector.h"

#include "core/Text.h"

namespace tw::sim {

namespace {

std::string normalTarget(std::string_view target) {
    std::string t = text::lower(target);
    for (char& c : t)
        if (c == '/') c = '\\';
    while (!t.empty() && t.back() == '\\') t.pop_back();
    return t;
}

}  // namespace

void FaultInjector::arm(const std::string& request, bool always, int callsToLetPass) {
    Rule rule;
    rule.always = always;
    rule.callsToLetPass = callsToLetPass;
    size_t colon = request.find(':');
    rule.operation = request.substr(0, colon);
    if (colon != std::string::npos) rule.target = normalTarget(std::string_view(request).substr(colon + 1));
    rules_.push_back(std::move(rule));
}

void FaultInjector::failNth(const std::string& operation, int n) { arm(operation, false, n > 1 ? n - 1 : 0); }

bool FaultInjector::pending() const {
    for (const auto& rule : rules_)
        if (!rule.always) return true;
    return false;
}

bool FaultInjector::trips(std::string_view operation, const std::vector<std::string>& targets) {
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        if (!text::iequals(it->operation, operation)) continue;
        bool matches = it->target.empty();
        for (const auto& target : targets) matches = matches || normalTarget(target) == it->target;
        if (!matches) continue;
        if (it->callsToLetPass > 0) {
            --it->callsToLetPass;
            continue;
        }
        if (!it->always) rules_.erase(it);
        return true;
    }
    return false;
}

}  // namespace tw::sim
