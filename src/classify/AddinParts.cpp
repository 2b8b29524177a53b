// Reaching the add-in's message reader and sender lists.
#include "classify/AddinParts.h"

#include "addin/OrvennaOutAddIn.h"
#include "core/Error.h"

namespace tw::classify {

namespace {
Error notSet() { return Error(91, "Tarnwick", "Object variable or With block variable not set"); }
}  // namespace

MessageContent& messageContentOf(addin::OrvennaOutAddIn& addin) {
    if (!addin.content()) throw notSet();
    return *addin.content();
}

senders::Senders& sendersOf(addin::OrvennaOutAddIn& addin) {
    if (!addin.senders()) throw notSet();
    return *addin.senders();
}

int engineHandleOf(addin::OrvennaOutAddIn& addin) {
    int handle = addin.getEnginePointer();
    if (handle == 0) throw Error(91, "Tarnwick", "There is no scoring engine.");
    return handle;
}

}  // namespace tw::classify
