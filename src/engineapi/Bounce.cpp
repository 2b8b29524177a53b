// Forwards the bounce, sender-report and address-store calls to the engine.
#include "engineapi/Bounce.h"

#include "core/Error.h"

namespace tw::engineapi {

namespace {

// The engine takes its handle for an object pointer: handing it 0 would not fail, it would crash.
int32_t checked(int32_t handle) {
    if (handle == 0) throw Error(91, "Tarnwick", "There is no scoring engine.");
    return handle;
}

}  // namespace

int32_t Bounce::bounceMessage(const std::string& address, const std::string& headers) {
    return engine_.TW_bounce(checked(handle_()), address, headers);
}

int32_t Bounce::addReportSender(int32_t action, const std::string& address, const std::string& headers,
                                const std::string& body) {
    return engine_.TW_addReportSender(checked(handle_()), action, address, headers, body);
}

int32_t Bounce::reportSenders() { return engine_.TW_reportSenders(checked(handle_())); }

int32_t Bounce::addSpamAddrTo(const std::string& address, int32_t num, bool add) {
    return engine_.TW_addSpamAddrTo(checked(handle_()), address, num, add);
}

int32_t Bounce::addSpamAddrFrom(const std::string& address, int32_t num, bool add) {
    return engine_.TW_addSpamAddrFrom(checked(handle_()), address, num, add);
}

int32_t Bounce::getSpamAddrFrom(const std::string& address, int32_t& from) {
    return engine_.TW_getSpamAddrFrom(checked(handle_()), address, from);
}

int32_t Bounce::migrateSpamAddrSettings(const std::string& fileName) {
    return engine_.TW_readOldAddrSettings(checked(handle_()), fileName);
}

}  // namespace tw::engineapi
