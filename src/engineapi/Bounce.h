// The add-in's thin public layer over the engine's bounce, sender-report and address-store services.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engineapi/EngineLibrary.h"

namespace tw::engineapi {

/// Each operation hands its texts and the current engine handle to the engine and returns the
/// engine's result unchanged. None traps: a missing or failing engine, or none made (handle 0),
/// raises Error into the caller, whose own handler logs it.
class Bounce {
public:
    /// The handle is asked for at every call, as the engine may be made anew while the add-in runs.
    Bounce(engineapi::EngineLibrary& engine, std::function<int32_t()> engineHandle)
        : engine_(engine), handle_(std::move(engineHandle)) {}

    /// Sends the engine's bounce for a message back to its sender.
    int32_t bounceMessage(const std::string& address, const std::string& headers);
    /// Queues a sender the user blocked (action 0) or approved (action 1) with its message.
    int32_t addReportSender(int32_t action, const std::string& address, const std::string& headers,
                            const std::string& body);
    /// Sends the queued sender reports as one batch.
    int32_t reportSenders();
    /// Address store: addresses the user writes to.
    int32_t addSpamAddrTo(const std::string& address, int32_t num, bool add);
    /// Address store: addresses seen in approved mail.
    int32_t addSpamAddrFrom(const std::string& address, int32_t num, bool add);
    /// How often an address is known as a from-address (0 when unknown).
    int32_t getSpamAddrFrom(const std::string& address, int32_t& from);
    /// Imports an older address-store file; offered to callers outside the add-in.
    int32_t migrateSpamAddrSettings(const std::string& fileName);

    /// The actions of addReportSender.
    static constexpr int32_t kReportBlocked = 0;
    static constexpr int32_t kReportApproved = 1;

private:
    engineapi::EngineLibrary& engine_;
    std::function<int32_t()> handle_;
};

}  // namespace tw::engineapi
