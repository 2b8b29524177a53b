// twupdate's windows: the progress window of a download under way, and the message of a refused update.
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "Ed25519.h"
#include "Sha256.h"
#include "sheet/Scenes.h"
#include "twupdate/ReleaseManifest.h"
#include "twupdate/UpdateSession.h"

namespace tw::sheet {
namespace {

namespace crypto = tarn::crypto;
using namespace twupdate;

constexpr int64_t kPackageSize = 2'457'600;
const crypto::Ed25519Seed kSheetSeed{7, 1, 8, 2, 8, 1, 8, 2, 8, 4, 5, 9, 0, 4, 5, 2,
                                     3, 5, 3, 6, 0, 2, 8, 7, 4, 7, 1, 3, 5, 2, 6, 6};

/// A release service that answers the manifest at once and holds the package until it is let go:
/// the download is under way for as long as the camera looks at it.
struct HeldService {
    std::string manifest;
    std::string signature;
    std::shared_ptr<std::atomic<bool>> released = std::make_shared<std::atomic<bool>>(false);

    explicit HeldService(const crypto::Ed25519Seed& signingSeed)
        : manifest(releaseManifestText({"4.1.0", kPackageSize, std::string(64, 'a'), "4.1.0/Tarnwick.msi"})),
          signature(crypto::toHex(crypto::ed25519Sign(signingSeed, manifest))) {}
    ~HeldService() { *released = true; }

    Fetch fetch() const {
        // The request may outlive the scene: it holds copies only.
        return [manifest = manifest, signature = signature, released = released](
                   const std::string& url, int32_t, int32_t, char* buffer, int32_t size) -> int32_t {
            if (url.ends_with(".msi")) {
                while (!*released) std::this_thread::sleep_for(std::chrono::milliseconds(20));
                return 28;  // the fetch library's time-out, as a download given up on
            }
            const std::string& body = url.ends_with(".sig") ? signature : manifest;
            const size_t length = std::min<size_t>(body.size(), static_cast<size_t>(size) - 1);
            std::copy_n(body.data(), length, buffer);
            buffer[length] = '\0';
            return 0;
        };
    }
};

UpdateResult runUpdate(Camera& camera, const HeldService& service, const std::string& downloadFolder) {
    UpdateSeams seams;
    seams.fetch = service.fetch();
    seams.key = crypto::ed25519PublicKey(kSheetSeed);
    seams.launch = [](const std::string&) { return false; };  // never reached: the sheet cancels or is refused
    Updater updater({"http://service.tarnwick.example/tarnwick/release", downloadFolder, "4.0.0"}, seams);
    return runUpdateSession(updater, camera);
}

}  // namespace

void updateWindows(Camera& camera, const std::string& downloadFolder) {
    {
        // A second on screen, so that the window's timer has counted the download's seconds.
        camera.script("frmTwupdate", {[&camera](Stage&) { camera.settle(1200); },
                                      photo("frmTwupdate", "frmTwupdate: twupdate downloading a new release"),
                                      press("cmdCancel")});
        HeldService service(kSheetSeed);
        const auto result = runUpdate(camera, service, downloadFolder);
        if (result.outcome != UpdateOutcome::cancelled)
            camera.album().problem("frmTwupdate: the update ended otherwise than by its Cancel button");
    }
    {
        camera.script("MsgBox", {photo("MsgBox-update-refused", "Message box: twupdate refuses a manifest signed by another key"),
                                 closeIt()});
        crypto::Ed25519Seed otherSeed = kSheetSeed;
        otherSeed[0] ^= 0x55;
        HeldService forged(otherSeed);
        const auto result = runUpdate(camera, forged, downloadFolder);
        if (result.outcome != UpdateOutcome::badSignature)
            camera.album().problem("twupdate: a manifest signed by another key was not refused as such");
    }
}

}  // namespace tw::sheet
