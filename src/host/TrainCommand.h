// Trains the profile's scoring engine from folders of messages the user chooses.
#pragma once

#include <filesystem>
#include <ostream>
#include <vector>

#include "host/CommandRequests.h"
#include "host/HostSession.h"

namespace tw::host {

struct TrainResult {
    int spamTrained = 0;
    int hamTrained = 0;
    int skipped = 0;
    int spamInStore = 0;   ///< what the engine's store holds afterwards, earlier training included
    int hamInStore = 0;
    int minimumTraining = 0;  ///< the messages of each kind the engine needs before it uses its store
    bool minimumReached() const { return spamInStore >= minimumTraining && hamInStore >= minimumTraining; }
};

/// One of the engine's store totals ("wordtraining_totalspam", "wordtraining_totalham"); 0 when unknown.
int engineStoreTotal(addin::OrvennaOutAddIn& addin, const char* name);

/// The message files of a folder (a plain folder of files or a Maildir with cur/ and new/), sorted;
/// a file given directly is taken as it is.
std::vector<std::filesystem::path> messageFiles(const std::filesystem::path& source);

/// Starts the add-in over the session so the engine gets the profile's own options, trains every
/// message (spam as blocked mail, ham as approved mail), then shuts down so the engine saves its store.
/// Ends by telling how many messages of each kind the store holds and whether that is enough.
/// Progress goes to `progress`; a source that does not exist raises tw::Error before anything is trained.
TrainResult trainEngine(HostSession& session, const TrainRequest& request, std::ostream& progress);

}  // namespace tw::host
