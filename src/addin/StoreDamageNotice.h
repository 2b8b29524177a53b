// Telling the user and the log what the engine did about its damaged stores at start-up.
#pragma once

#include <cstdint>

#include "diag/CErrorHandler.h"
#include "engineapi/EngineLibrary.h"
#include "platform/UserInterface.h"

namespace tw::addin {

/// Reads the engine's store report after TW_initialize: each store read from its backup and each
/// damaged file kept aside gets a serious log line; when anything was kept aside the user is told
/// once, in one message box naming the files. The engine moves a damaged file away, so the next
/// start finds nothing to tell. Errors are logged as "reportEngineStoreDamage" and go no further.
void reportEngineStoreDamage(engineapi::EngineLibrary& engine, int32_t handle, diag::CErrorHandler& log,
                             platform::UserInterface& ui);

}  // namespace tw::addin
