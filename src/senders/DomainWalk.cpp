// The domain walk of the sender decision.
#include "senders/DomainWalk.h"

namespace tw::senders {

namespace {

// True when this form of a suffix decided something.
bool judge(const std::string& suffix, const KeyedSet& blocked, const KeyedSet& adult, const KeyedSet& approved,
           DomainVerdict& verdict) {
    if (blocked.Exists(suffix) || adult.Exists(suffix)) {
        verdict = {true, false, suffix};
        return true;
    }
    if (approved.Exists(suffix)) {
        verdict = {false, true, suffix};
        return true;
    }
    return false;
}

}  // namespace

void walkDomain(const std::string& domain, const KeyedSet& blocked, const KeyedSet& adult, const KeyedSet& approved,
                DomainVerdict& verdict) {
    if (domain.find('.') == std::string::npos) return;
    // The dotted form of every suffix is a tail of "." + domain, so one string serves all levels.
    const std::string dotted = "." + domain;
    size_t dot = dotted.size();
    while (dot != 0) {
        dot = dotted.rfind('.', dot - 1);
        const std::string bare = dotted.substr(dot + 1);
        if (!judge(bare, blocked, adult, approved, verdict))
            judge(dotted.substr(dot), blocked, adult, approved, verdict);
    }
}

}  // namespace tw::senders
