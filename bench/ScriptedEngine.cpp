// The scripted engine's functions and the clock of the time spent in them.
#include "ScriptedEngine.h"

#include <chrono>
#include <cstring>
#include <map>

#include "core/Error.h"
#include "engineapi/tarnengine_api.h"

namespace tw::bench {

namespace {

using Clock = std::chrono::steady_clock;
double spent = 0;

/// Adds the time from its making to its end to the engine's share.
struct InEngine {
    Clock::time_point start = Clock::now();
    ~InEngine() { spent += std::chrono::duration<double>(Clock::now() - start).count(); }
};

int32_t TW_CALL constructor(char*, char*) { return 1; }
int32_t TW_CALL setOption(int32_t, char*, char*) { return 0; }
int32_t TW_CALL initialize(int32_t) { return 0; }
int32_t TW_CALL getOption(int32_t, char*, char* buffer, int32_t* size) {
    InEngine timed;
    if (buffer && size && *size > 1) std::strcpy(buffer, "0");
    return 0;
}
int32_t TW_CALL score(int32_t, char* headers, char*, char*, int32_t, char*, int32_t* result) {
    InEngine timed;
    *result = std::strstr(headers, "Subject: SPAM") ? 99 : 10;
    return 0;
}
int32_t TW_CALL addMessage(int32_t, char*, char*, int32_t, int32_t) {
    InEngine timed;
    return 0;
}
int32_t TW_CALL getMessage(int32_t, char*, char*, int32_t) { return 1; }
int32_t TW_CALL getMessageInfo(int32_t, char*, char*, int32_t*) { return 0; }
int32_t TW_CALL delMessage(int32_t) { return 0; }
int32_t TW_CALL bounce(int32_t, char*, char*) {
    InEngine timed;
    return 0;
}
int32_t TW_CALL addReportSender(int32_t, int32_t, char*, char*, char*) {
    InEngine timed;
    return 0;
}
int32_t TW_CALL reportSenders(int32_t) {
    InEngine timed;
    return 0;
}
int32_t TW_CALL addSpamAddr(int32_t, char*, int32_t, int16_t) {
    InEngine timed;
    return 0;
}
int32_t TW_CALL getSpamAddrFrom(int32_t, char*, int32_t* result) {
    InEngine timed;
    if (result) *result = 0;
    return 0;
}
int32_t TW_CALL readOldAddrSettings(int32_t, char*) { return 0; }
int32_t TW_CALL destructor(int32_t) { return 0; }

}  // namespace

double engineSeconds() { return spent; }

void* ScriptedEngineLoader::resolve(void*, const std::string& name) {
    static const std::map<std::string, void*> functions = {
        {"TW_constructor", reinterpret_cast<void*>(&constructor)},
        {"TW_setOption", reinterpret_cast<void*>(&setOption)},
        {"TW_initialize", reinterpret_cast<void*>(&initialize)},
        {"TW_getOption", reinterpret_cast<void*>(&getOption)},
        {"TW_score", reinterpret_cast<void*>(&score)},
        {"TW_addMessage", reinterpret_cast<void*>(&addMessage)},
        {"TW_getMessage", reinterpret_cast<void*>(&getMessage)},
        {"TW_getMessageInfo", reinterpret_cast<void*>(&getMessageInfo)},
        {"TW_delMessage", reinterpret_cast<void*>(&delMessage)},
        {"TW_bounce", reinterpret_cast<void*>(&bounce)},
        {"TW_addReportSender", reinterpret_cast<void*>(&addReportSender)},
        {"TW_reportSenders", reinterpret_cast<void*>(&reportSenders)},
        {"TW_addSpamAddrTo", reinterpret_cast<void*>(&addSpamAddr)},
        {"TW_addSpamAddrFrom", reinterpret_cast<void*>(&addSpamAddr)},
        {"TW_getSpamAddrFrom", reinterpret_cast<void*>(&getSpamAddrFrom)},
        {"TW_readOldAddrSettings", reinterpret_cast<void*>(&readOldAddrSettings)},
        {"TW_destructor", reinterpret_cast<void*>(&destructor)},
    };
    auto it = functions.find(name);
    if (it == functions.end()) throw Error(453, "bench", "No entry point " + name);
    return it->second;
}

}  // namespace tw::bench
