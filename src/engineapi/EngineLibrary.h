// The scoring engine library's functions, each bound by file name at its first call.
#pragma once

#include <cstdint>
#include <string>

#include "engineapi/tarnengine_api.h"
#include "platform/LibraryLoader.h"

namespace tw::engineapi {

/// The trained-words threshold kept from the engine while too little has been trained.
inline constexpr const char* kMinTrainingNotReached = "2147483640";

/// Every call raises Error when the library or the function cannot be found; nothing is
/// bound until the first call, so a missing library costs nothing until the engine is used.
class EngineLibrary {
public:
    explicit EngineLibrary(platform::LibraryLoader& loader, std::string fileName = "tarnengine.dll");

    int32_t TW_constructor(const std::string& clientName, const std::string& directory);
    int32_t TW_setOption(int32_t engine, const std::string& name, const std::string& value);
    int32_t TW_initialize(int32_t engine);
    /// Reads an option into a 20-character buffer; returns the buffer's text.
    std::string TW_getOption(int32_t engine, const std::string& name, int32_t* result = nullptr);
    /// Reads an option of any length (up to a megabyte), asking again with a larger buffer while the
    /// engine answers that the text did not fit.
    std::string getLongOption(int32_t engine, const std::string& name, int32_t* result = nullptr);
    int32_t TW_score(int32_t engine, const std::string& headers, const std::string& body, const std::string& senderAddress,
                     int32_t flags, const std::string& senderName, int32_t& score);
    /// The clues of the engine's last score (see TW_explainLastScore), asking again with the size it
    /// needs; empty, with status 0, from an engine library that predates the function.
    std::string TW_explainLastScore(int32_t engine, int32_t* result = nullptr);
    int32_t TW_addMessage(int32_t engine, const std::string& headers, const std::string& body, int32_t offset);
    int32_t TW_getMessage(int32_t engine, const std::string& headers, const std::string& body);
    /// Reads "charsets" or "countries" of a message; status 0 is success.
    int32_t TW_getMessageInfo(int32_t message, const std::string& name, std::string& text);
    int32_t TW_delMessage(int32_t message);
    int32_t TW_bounce(int32_t engine, const std::string& recipient, const std::string& headers);
    int32_t TW_addReportSender(int32_t engine, int32_t action, const std::string& address, const std::string& headers,
                               const std::string& body);
    int32_t TW_reportSenders(int32_t engine);
    int32_t TW_addSpamAddrTo(int32_t engine, const std::string& address, int32_t number, bool add);
    int32_t TW_addSpamAddrFrom(int32_t engine, const std::string& address, int32_t number, bool add);
    int32_t TW_getSpamAddrFrom(int32_t engine, const std::string& address, int32_t& result);
    int32_t TW_readOldAddrSettings(int32_t engine, const std::string& fileName);
    int32_t TW_destructor(int32_t engine);

    const std::string& fileName() const { return fileName_; }

private:
    template <typename Fn>
    Fn bind(Fn& slot, const char* name);

    platform::LibraryLoader& loader_;
    std::string fileName_;
    void* library_ = nullptr;

    TW_constructor_fn constructor_ = nullptr;
    TW_setOption_fn setOption_ = nullptr;
    TW_initialize_fn initialize_ = nullptr;
    TW_getOption_fn getOption_ = nullptr;
    TW_score_fn score_ = nullptr;
    TW_explainLastScore_fn explainLastScore_ = nullptr;
    bool explainLooked_ = false;
    TW_addMessage_fn addMessage_ = nullptr;
    TW_getMessage_fn getMessage_ = nullptr;
    TW_getMessageInfo_fn getMessageInfo_ = nullptr;
    TW_delMessage_fn delMessage_ = nullptr;
    TW_bounce_fn bounce_ = nullptr;
    TW_addReportSender_fn addReportSender_ = nullptr;
    TW_reportSenders_fn reportSenders_ = nullptr;
    TW_addSpamAddr_fn addSpamAddrTo_ = nullptr;
    TW_addSpamAddr_fn addSpamAddrFrom_ = nullptr;
    TW_getSpamAddrFrom_fn getSpamAddrFrom_ = nullptr;
    TW_readOldAddrSettings_fn readOldAddrSettings_ = nullptr;
    TW_destructor_fn destructor_ = nullptr;
};

}  // namespace tw::engineapi
