// A recording engine for tests: every call is written to a call log the test reads back, and
// the score, handles, statuses and options it answers are set by the test.
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engineapi/tarnengine_api.h"

namespace {

struct StubState {
    std::vector<std::string> calls;
    std::map<std::string, std::string> options;
    int32_t score = 0;
    /// Scores by a text the message's headers contain (a subject, say), tried in order.
    std::vector<std::pair<std::string, int32_t>> scoresByText;
    int32_t nextHandle = 1;
    int32_t initializeStatus = 0;
    int32_t nextMessage = 1000;
};

StubState& state() {
    static StubState s;
    return s;
}

void record(std::string line) { state().calls.push_back(std::move(line)); }
std::string str(const char* s) { return s ? s : "(null)"; }
std::string num(int32_t n) { return std::to_string(n); }

/// Copies text into a caller's buffer of `size` bytes, always NUL-terminated.
void copyOut(const std::string& text, char* buffer, int32_t size) {
    if (!buffer || size <= 0) return;
    std::strncpy(buffer, text.c_str(), static_cast<size_t>(size - 1));
    buffer[size - 1] = '\0';
}

}  // namespace

extern "C" {

int32_t TW_CALL TW_constructor(char* clientName, char* directory) {
    record("TW_constructor(" + str(clientName) + "," + str(directory) + ")");
    int32_t handle = state().nextHandle;
    if (handle != 0) ++state().nextHandle;
    return handle;
}

int32_t TW_CALL TW_setOption(int32_t engine, char* name, char* value) {
    record("TW_setOption(" + num(engine) + "," + str(name) + "," + str(value) + ")");
    state().options[str(name)] = str(value);
    return 0;
}

int32_t TW_CALL TW_initialize(int32_t engine) {
    record("TW_initialize(" + num(engine) + ")");
    return state().initializeStatus;
}

int32_t TW_CALL TW_getOption(int32_t engine, char* name, char* buffer, int32_t* size) {
    record("TW_getOption(" + num(engine) + "," + str(name) + ")");
    std::string value = state().options.count(str(name)) ? state().options[str(name)] : "0";
    if (!size || *size <= 0) return -1;
    copyOut(value, buffer, *size);
    return 0;
}

int32_t TW_CALL TW_score(int32_t engine, char* headers, char*, char* sender, int32_t flags, char* senderName,
                         int32_t* score) {
    record("TW_score(" + num(engine) + "," + num(static_cast<int32_t>(std::strlen(headers))) + "," + str(sender) + "," +
           num(flags) + "," + str(senderName) + ")");
    *score = state().score;
    for (const auto& [text, value] : state().scoresByText)
        if (std::strstr(headers, text.c_str())) {
            *score = value;
            break;
        }
    return 0;
}

int32_t TW_CALL TW_addMessage(int32_t engine, char* headers, char* body, int32_t offset, int32_t reserved) {
    record("TW_addMessage(" + num(engine) + "," + num(static_cast<int32_t>(std::strlen(headers))) + "," +
           num(static_cast<int32_t>(std::strlen(body))) + "," + num(offset) + "," + num(reserved) + ")");
    return 0;
}

int32_t TW_CALL TW_getMessage(int32_t engine, char* headers, char* body, int32_t reserved) {
    record("TW_getMessage(" + num(engine) + "," + num(static_cast<int32_t>(std::strlen(headers))) + "," +
           num(static_cast<int32_t>(std::strlen(body))) + "," + num(reserved) + ")");
    return state().nextMessage++;
}

int32_t TW_CALL TW_getMessageInfo(int32_t message, char* name, char* buffer, int32_t* size) {
    record("TW_getMessageInfo(" + num(message) + "," + str(name) + ")");
    std::string value = state().options.count("info:" + str(name)) ? state().options["info:" + str(name)] : "";
    if (!size || *size <= 0) return -1;
    copyOut(value, buffer, *size);
    *size = static_cast<int32_t>(value.size()) + 1;
    return 0;
}

int32_t TW_CALL TW_delMessage(int32_t message) {
    record("TW_delMessage(" + num(message) + ")");
    return 0;
}

int32_t TW_CALL TW_bounce(int32_t engine, char* recipient, char* headers) {
    record("TW_bounce(" + num(engine) + "," + str(recipient) + "," + num(static_cast<int32_t>(std::strlen(headers))) + ")");
    return 0;
}

int32_t TW_CALL TW_addReportSender(int32_t engine, int32_t action, char* address, char* headers, char* body) {
    record("TW_addReportSender(" + num(engine) + "," + num(action) + "," + str(address) + "," +
           num(static_cast<int32_t>(std::strlen(headers))) + "," + num(static_cast<int32_t>(std::strlen(body))) + ")");
    return 0;
}

int32_t TW_CALL TW_reportSenders(int32_t engine) {
    record("TW_reportSenders(" + num(engine) + ")");
    return 0;
}

int32_t TW_CALL TW_addSpamAddrTo(int32_t engine, char* address, int32_t number, int16_t add) {
    record("TW_addSpamAddrTo(" + num(engine) + "," + str(address) + "," + num(number) + "," + num(add) + ")");
    return 0;
}

int32_t TW_CALL TW_addSpamAddrFrom(int32_t engine, char* address, int32_t number, int16_t add) {
    record("TW_addSpamAddrFrom(" + num(engine) + "," + str(address) + "," + num(number) + "," + num(add) + ")");
    return 0;
}

int32_t TW_CALL TW_getSpamAddrFrom(int32_t engine, char* address, int32_t* result) {
    record("TW_getSpamAddrFrom(" + num(engine) + "," + str(address) + ")");
    if (result) *result = 0;
    return 0;
}

int32_t TW_CALL TW_readOldAddrSettings(int32_t engine, char* fileName) {
    record("TW_readOldAddrSettings(" + num(engine) + "," + str(fileName) + ")");
    return 0;
}

int32_t TW_CALL TW_destructor(int32_t engine) {
    record("TW_destructor(" + num(engine) + ")");
    return 0;
}

// Test controls; none of them is recorded.
int32_t TWSTUB_callCount() { return static_cast<int32_t>(state().calls.size()); }

int32_t TWSTUB_call(int32_t index, char* buffer, int32_t size) {
    if (index < 0 || index >= TWSTUB_callCount() || size <= 0) return -1;
    copyOut(state().calls[static_cast<size_t>(index)], buffer, size);
    return 0;
}

void TWSTUB_reset() { state() = StubState{}; }
void TWSTUB_setScore(int32_t score) { state().score = score; }
/// The score for messages whose headers contain the text; others get the TWSTUB_setScore score.
void TWSTUB_setScoreFor(const char* text, int32_t score) { state().scoresByText.emplace_back(str(text), score); }
/// The handle the next TW_constructor returns; 0 makes every construction fail.
void TWSTUB_setNextHandle(int32_t handle) { state().nextHandle = handle; }
void TWSTUB_setInitializeStatus(int32_t status) { state().initializeStatus = status; }
/// What TW_getOption answers for a name ("info:countries" sets what TW_getMessageInfo answers).
void TWSTUB_setOption(const char* name, const char* value) { state().options[str(name)] = str(value); }
}
