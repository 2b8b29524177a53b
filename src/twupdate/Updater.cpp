// Nothing reaches the disk before the manifest's signature, the package's size and its SHA-256 are checked.
#include "twupdate/Updater.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <thread>
#include <vector>

#include "Sha256.h"
#include "fetchapi/tarnfetch_api.h"
#include "twupdate/ReleaseManifest.h"

namespace tw::twupdate {

namespace {

// A request on a thread of its own, so that a stalled library cannot hold the update (or Cancel)
// past its deadline. A request given up on finishes into this state, which it shares.
struct Call {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int32_t code = TF_INTERNAL_ERROR;
    std::vector<char> buffer;
};

constexpr int32_t kStalled = -1;
constexpr int32_t kCancelled = -2;
constexpr int32_t kWrongLength = -3;

UpdateResult outcome(UpdateOutcome what, int32_t code = 0, std::string version = {}) {
    UpdateResult result;
    result.outcome = what;
    result.code = code;
    result.version = std::move(version);
    return result;
}

bool isNewer(const std::string& offered, const std::string& installed) {
    const auto a = parseVersion(offered), b = parseVersion(installed);
    return a && (!b || *a > *b);
}

std::string fileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

bool isRefusal(UpdateOutcome outcome) {
    return outcome != UpdateOutcome::launched && outcome != UpdateOutcome::upToDate &&
           outcome != UpdateOutcome::cancelled && outcome != UpdateOutcome::noRelease;
}

std::string outcomeMessage(const UpdateResult& r) {
    const std::string nothing = " Nothing was installed.";
    const std::string code = " (" + std::to_string(r.code) + ")";
    switch (r.outcome) {
        case UpdateOutcome::launched:
        case UpdateOutcome::upToDate:
        case UpdateOutcome::noRelease:
        case UpdateOutcome::cancelled: return "";
        case UpdateOutcome::noManifest:
            return "The release service could not be reached to check for an update" + code + "." + nothing;
        case UpdateOutcome::badSignature:
            return "The release information is not signed with the Tarnwick release key. The update was refused." +
                   nothing;
        case UpdateOutcome::badManifest:
            return "The release information from the service is not readable. The update was refused." + nothing;
        case UpdateOutcome::otherHost:
            return "The update would have come from a server other than the Tarnwick service. The update was "
                   "refused." + nothing;
        case UpdateOutcome::downloadFailed: return "The update package could not be downloaded" + code + "." + nothing;
        case UpdateOutcome::stalled:
            return "The release service stopped answering while the update was downloading." + nothing;
        case UpdateOutcome::wrongSize:
            return "The downloaded package is not the size the signed release information gives: the download was "
                   "incomplete or altered. It was refused." + nothing;
        case UpdateOutcome::wrongHash:
            return "The downloaded package does not match the signed release information (its SHA-256 differs). "
                   "It was refused." + nothing;
        case UpdateOutcome::writeFailed: return "The update package could not be saved." + nothing;
        case UpdateOutcome::launchFailed:
            return "The installer could not be started for the update package " + r.packagePath + ".";
    }
    return "";
}

Updater::Updater(UpdatePlaces places, UpdateSeams seams, UpdateTimes times)
    : places_(std::move(places)), seams_(std::move(seams)), times_(times) {
    if (!seams_.files) {
        ownFiles_ = realUpdateFiles();
        seams_.files = ownFiles_.get();
    }
}

Updater::~Updater() = default;

int32_t Updater::boundedFetch(const std::string& url, int32_t total, std::string& body, int64_t limit, bool exact) {
    if (cancelled_) return kCancelled;
    auto call = std::make_shared<Call>();
    // One byte more than the most expected: a NUL there tells that the body ended within the limit.
    call->buffer.assign(static_cast<size_t>(limit) + 1, static_cast<char>(0xA5));
    std::thread([call, fetch = seams_.fetch, url, connect = times_.connect, total] {
        const int32_t code = fetch(url, connect, total, call->buffer.data(), static_cast<int32_t>(call->buffer.size()));
        std::lock_guard lock(call->mutex);
        call->code = code;
        call->done = true;
        call->finished.notify_all();
    }).detach();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(total + times_.grace);
    std::unique_lock lock(call->mutex);
    while (!call->done) {
        if (cancelled_) return kCancelled;
        if (std::chrono::steady_clock::now() >= deadline) return kStalled;
        call->finished.wait_for(lock, std::chrono::milliseconds(100));
    }
    if (call->code == TF_TIMED_OUT) return kStalled;
    if (call->code != 0) return call->code;
    const char* data = call->buffer.data();
    if (exact) {
        // A shorter body leaves the fill byte at the end, a longer one a byte of its own: neither is a NUL.
        if (call->buffer.back() != '\0') return kWrongLength;
        body.assign(data, static_cast<size_t>(limit));
        return 0;
    }
    const void* end = std::memchr(data, '\0', call->buffer.size());
    if (!end) return kWrongLength;
    body.assign(data, static_cast<size_t>(static_cast<const char*>(end) - data));
    return 0;
}

UpdateResult Updater::run() {
    const std::string base = places_.releaseUrl + "/";
    auto failedFetch = [&](int32_t code, UpdateOutcome otherwise, const std::string& version = {}) {
        if (code == kCancelled) return outcome(UpdateOutcome::cancelled, 0, version);
        if (code == kStalled) return outcome(UpdateOutcome::stalled, TF_TIMED_OUT, version);
        if (code == TF_REFUSED_HOST) return outcome(UpdateOutcome::otherHost, code, version);
        return outcome(otherwise, code, version);
    };
    UpdateResult result = [&] {
        std::string manifestText, signatureText;
        int32_t code = boundedFetch(base + "manifest.txt", times_.manifestTotal, manifestText, kMaxReleaseManifestSize, false);
        if (code == kWrongLength) return outcome(UpdateOutcome::badManifest);
        // The release check starts twupdate at every start-up: a service without packages is no fault.
        if (code == 404) return outcome(UpdateOutcome::noRelease, code);
        if (code != 0) return failedFetch(code, UpdateOutcome::noManifest);
        code = boundedFetch(base + "manifest.txt.sig", times_.manifestTotal, signatureText, 1024, false);
        if (code == kWrongLength) return outcome(UpdateOutcome::badSignature);
        if (code != 0) return failedFetch(code, code >= 100 ? UpdateOutcome::badSignature : UpdateOutcome::noManifest);
        while (!signatureText.empty() && (signatureText.back() == '\n' || signatureText.back() == '\r'))
            signatureText.pop_back();
        const auto signature = crypto::fromHex<64>(signatureText);
        if (!signature || !crypto::ed25519Verify(seams_.key, manifestText, *signature))
            return outcome(UpdateOutcome::badSignature);
        ManifestFault fault = ManifestFault::none;
        const auto manifest = parseReleaseManifest(manifestText, &fault);
        if (!manifest)
            return outcome(fault == ManifestFault::otherHost ? UpdateOutcome::otherHost : UpdateOutcome::badManifest);
        // A signed but older manifest is a replayed one: it must not take the user back.
        if (!isNewer(manifest->version, places_.installedVersion))
            return outcome(UpdateOutcome::upToDate, 0, manifest->version);

        packageSize_ = manifest->size;
        stage_ = UpdateStage::package;
        std::string package;
        code = boundedFetch(base + manifest->path, times_.packageTotal, package, manifest->size, true);
        if (code == kWrongLength) return outcome(UpdateOutcome::wrongSize, 0, manifest->version);
        if (code != 0) return failedFetch(code, UpdateOutcome::downloadFailed, manifest->version);
        if (crypto::toHex(crypto::sha256(package)) != manifest->sha256)
            return outcome(UpdateOutcome::wrongHash, 0, manifest->version);
        stage_ = UpdateStage::saving;
        return save(outcome(UpdateOutcome::launched, 0, manifest->version), package, fileNameOf(manifest->path));
    }();
    stage_ = UpdateStage::done;
    return result;
}

UpdateResult Updater::save(UpdateResult result, const std::string& bytes, const std::string& name) {
    std::lock_guard lock(mutex_);
    if (cancelled_) return outcome(UpdateOutcome::cancelled, 0, result.version);
    const std::string partial = name + ".part";
    written_ = partial;
    if (!seams_.files->write(places_.downloadFolder, partial, bytes)) {
        seams_.files->remove(places_.downloadFolder, partial);
        written_.clear();
        return outcome(UpdateOutcome::writeFailed, 0, result.version);
    }
    seams_.files->remove(places_.downloadFolder, name);
    if (!seams_.files->rename(places_.downloadFolder, partial, name)) {
        seams_.files->remove(places_.downloadFolder, partial);
        written_.clear();
        return outcome(UpdateOutcome::writeFailed, 0, result.version);
    }
    written_ = name;
    result.packagePath = seams_.files->path(places_.downloadFolder, name);
    if (!seams_.launch || !seams_.launch(result.packagePath)) {
        result.outcome = UpdateOutcome::launchFailed;
        return result;
    }
    launched_ = true;
    return result;
}

void Updater::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (launched_ || written_.empty()) return;
    seams_.files->remove(places_.downloadFolder, written_);
    written_.clear();
}

}  // namespace tw::twupdate
