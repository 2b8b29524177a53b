// Reaching the add-in's message reader and sender lists.
#include "classify/AddinParts.h"

#include "classify/ClassifyHost.h"
#include "core/Error.h"

namespace tw::classify {

namespace {
Error notSet() { return Error(91, "Tarnwick", "Object variable or With block variable not set"); }
}  // namespace

MessageContent& messageContentOf(ClassifyHost& host) {
    if (!host.content()) throw notSet();
    return *host.content();
}

senders::Senders& sendersOf(ClassifyHost& host) {
    if (!host.senders()) throw notSet();
    return *host.senders();
}

int engineHandleOf(ClassifyHost& host) {
    int handle = host.getEnginePointer();
    if (handle == 0) throw Error(91, "Tarnwick", "There is no scoring engine.");
    return handle;
}

}  // namespace tw::classify
