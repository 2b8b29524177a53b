// twupdate's whole flow over its seams: fetch and check the signed manifest, download and check the package, start the installer.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "Ed25519.h"
#include "ReleaseKey.h"
#include "twupdate/UpdateFiles.h"

namespace tw::twupdate {

namespace crypto = tarn::crypto;

/// Fetches `url` into `buffer` as the fetch library does: at most `size` bytes, a NUL after a shorter
/// body, 0 for success, the library's own code (below 100) or the HTTP status otherwise.
using Fetch = std::function<int32_t(const std::string& url, int32_t connectSeconds, int32_t totalSeconds,
                                    char* buffer, int32_t size)>;
/// Starts the installer on the package; false when it could not be started.
using Launcher = std::function<bool(const std::string& packagePath)>;

struct UpdateSeams {
    Fetch fetch;
    crypto::Ed25519PublicKey key = crypto::kReleaseKey;
    Launcher launch;
    UpdateFiles* files = nullptr;  ///< null: the real files
};

struct UpdatePlaces {
    std::string releaseUrl;        ///< the folder of the release file and manifest, without a trailing "/"
    std::string downloadFolder;    ///< where the package is saved before the installer runs it
    std::string installedVersion;  ///< "X.Y.Z": a release not newer than this is not offered
};

/// Seconds; a call that has not returned by its total and `grace` more counts as stalled.
struct UpdateTimes {
    int32_t connect = 10;
    int32_t manifestTotal = 30;
    int32_t packageTotal = 900;
    int32_t grace = 5;
};

enum class UpdateOutcome {
    launched, upToDate, cancelled,
    noRelease,  ///< the service publishes no package (its manifest is not found): nothing to say
    noManifest, badSignature, badManifest, otherHost,
    downloadFailed, stalled, wrongSize, wrongHash, writeFailed, launchFailed,
};

enum class UpdateStage { manifest, package, saving, done };

struct UpdateResult {
    UpdateOutcome outcome = UpdateOutcome::noManifest;
    int32_t code = 0;          ///< the fetch library's code or HTTP status, where a request failed
    std::string version;       ///< the release the manifest offers, once read
    std::string packagePath;   ///< the saved package, when launched
};

/// What the user is told; empty when nothing needs saying (launched, up to date, no release, cancelled).
std::string outcomeMessage(const UpdateResult& result);
/// True for every outcome that refused the update.
bool isRefusal(UpdateOutcome outcome);

/// One update: run() on a worker thread, cancel() and the read-outs from any other.
class Updater {
public:
    Updater(UpdatePlaces places, UpdateSeams seams, UpdateTimes times = {});
    ~Updater();
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    UpdateResult run();
    /// Stops the update: no installer is started afterwards and any partial file is removed. Too
    /// late once the installer was started.
    void cancel();

    UpdateStage stage() const { return stage_.load(); }
    /// The package's size in bytes once the manifest was read; 0 before.
    int64_t packageSize() const { return packageSize_.load(); }

private:
    int32_t boundedFetch(const std::string& url, int32_t total, std::string& body, int64_t limit, bool exact);
    UpdateResult save(UpdateResult result, const std::string& bytes, const std::string& name);

    UpdatePlaces places_;
    UpdateSeams seams_;
    UpdateTimes times_;
    std::unique_ptr<UpdateFiles> ownFiles_;
    std::mutex mutex_;  // orders cancel() against saving and starting the package
    std::atomic<bool> cancelled_{false};
    bool launched_ = false;
    std::string written_;  // files saved so far, removed on cancel
    std::atomic<UpdateStage> stage_{UpdateStage::manifest};
    std::atomic<int64_t> packageSize_{0};
};

}  // namespace tw::twupdate
