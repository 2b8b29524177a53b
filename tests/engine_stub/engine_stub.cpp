// A recording engine for tests: every call is written to a call log the test reads back, and
// the score and options it answers are set by the test.
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engineapi/tarnengine_api.h"

namespace {

struct StubState {
    std::vector<std::string> calls;
    std::map<std::string, std::string> options;
    int32_t score = 0;
    int32_t nextHandle = 1;
};

StubState& state() {
    static StubState s;
    return s;
}

void record(std::string line) { state().calls.push_back(std::move(line)); }
std::string str(const char* s) { return s ? s : "(null)"; }

}  // namespace

extern "C" {

int32_t TW_CALL TW_constructor(char* clientName, char* directory) {
    record("TW_constructor(" + str(clientName) + "," + str(directory) + ")");
    return state().nextHandle++;
}

int32_t TW_CALL TW_setOption(int32_t engine, char* name, char* value) {
    record("TW_setOption(" + std::to_string(engine) + "," + str(name) + "," + str(value) + ")");
    state().options[str(name)] = str(value);
    return 0;
}

int32_t TW_CALL TW_initialize(int32_t engine) {
    record("TW_initialize(" + std::to_string(engine) + ")");
    return 0;
}

int32_t TW_CALL TW_getOption(int32_t engine, char* name, char* buffer, int32_t* size) {
    record("TW_getOption(" + std::to_string(engine) + "," + str(name) + ")");
    std::string value = state().options.count(str(name)) ? state().options[str(name)] : "0";
    if (*size <= 0) return -1;
    std::strncpy(buffer, value.c_str(), static_cast<size_t>(*size - 1));
    buffer[*size - 1] = '\0';
    return 0;
}

int32_t TW_CALL TW_score(int32_t engine, char* headers, char*, char* sender, int32_t flags, char* senderName,
                         int32_t* score) {
    record("TW_score(" + std::to_string(engine) + "," + std::to_string(std::strlen(headers)) + "," + str(sender) + "," +
           std::to_string(flags) + "," + str(senderName) + ")");
    *score = state().score;
    return 0;
}

int32_t TW_CALL TW_destructor(int32_t engine) {
    record("TW_destructor(" + std::to_string(engine) + ")");
    return 0;
}

// Test controls.
int32_t TWSTUB_callCount() { return static_cast<int32_t>(state().calls.size()); }

int32_t TWSTUB_call(int32_t index, char* buffer, int32_t size) {
    if (index < 0 || index >= TWSTUB_callCount() || size <= 0) return -1;
    std::strncpy(buffer, state().calls[static_cast<size_t>(index)].c_str(), static_cast<size_t>(size - 1));
    buffer[size - 1] = '\0';
    return 0;
}

void TWSTUB_reset() { state() = StubState{}; }
void TWSTUB_setScore(int32_t score) { state().score = score; }
}
