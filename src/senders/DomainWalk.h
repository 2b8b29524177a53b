// The domain rule of the sender decision: every level of a domain is looked up, the most specific wins.
#pragma once

#include <string>

#include "core/KeyedSet.h"

namespace tw::senders {

/// What the domain entries say about a sender.
struct DomainVerdict {
    bool blocked = false;
    bool approved = false;
    /// The entry that decided ("example.com" or ".example.com"); empty while none did.
    std::string entry;
};

/// Walks a domain a.b.c as c, b.c, a.b.c. At each level the bare suffix is looked up first and the
/// suffix with a leading dot only when the bare one matched nothing; a blocked or adult-content
/// entry wins over an approved one, and a match at a longer suffix replaces what a shorter one said.
/// A domain of fewer than two labels is not walked and leaves `verdict` as it was.
void walkDomain(const std::string& domain, const KeyedSet& blocked, const KeyedSet& adult, const KeyedSet& approved,
                DomainVerdict& verdict);

}  // namespace tw::senders
