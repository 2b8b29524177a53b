// What the user sees of an update: no window for a check that finds nothing, a progress window that
// closes itself or cancels, and one message for a refusal.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "Ed25519.h"
#include "Sha256.h"
#include "regop/RecordingUserInterface.h"
#include "twupdate/ReleaseManifest.h"
#include "twupdate/UpdateSession.h"
#include "twupdate/frmTwupdate.h"

namespace tw::twupdate {
namespace {

namespace crypto = tarn::crypto;
namespace fs = std::filesystem;
const std::string kBase = "http://service/tarnwick/release";

// A modal show runs the form's timer until the form is hidden, as a message loop would; a script
// may click the form's buttons on a tick.
class ModalLoopUi : public contract::RecordingUserInterface {
public:
    void showForm(platform::FormView& form, bool) override {
        shown = &form;
        visible_ = true;
        for (int tick = 0; visible_ && tick < 400; ++tick) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (timer_) timer_();
            statuses.push_back(form.controls()->operator[]("lblStatus").caption);
            if (onTick) onTick(*form.controls());
        }
    }
    void hideForm(platform::FormView&) override { visible_ = false; }
    bool isFormVisible(const platform::FormView&) const override { return visible_; }
    platform::TimerId setTimer(int, std::function<void()> tick) override {
        timer_ = std::move(tick);
        return 1;
    }
    void killTimer(platform::TimerId) override { timer_ = nullptr; }

    platform::FormView* shown = nullptr;
    std::vector<std::string> statuses;
    std::function<void(platform::FormControls&)> onTick;

private:
    bool visible_ = false;
    std::function<void()> timer_;
};

class UpdateSessionTest : public testing::Test {
protected:
    void SetUp() override {
        for (auto& byte : seed_) byte = static_cast<uint8_t>(std::random_device()());
        folder_ = fs::temp_directory_path() / ("twupdate-session-" + std::to_string(std::random_device()()));
        manifest_ = releaseManifestText({"2.0.0", 4096, crypto::toHex(crypto::sha256(package_)), "2.0.0/T.msi"});
    }
    void TearDown() override { fs::remove_all(folder_); }

    // The package takes `packageDelay` to arrive, so that a window has time to show.
    UpdateResult session(std::chrono::milliseconds packageDelay, std::string installed = "1.0.0") {
        const std::string signature = crypto::toHex(crypto::ed25519Sign(seed_, manifest_));
        // A request given up on may outlive the test: it holds copies only.
        auto fetch = [signature, packageDelay, manifest = manifest_, package = package_](
                         const std::string& url, int32_t, int32_t, char* buffer, int32_t size) -> int32_t {
            std::string body = url.ends_with(".sig") ? signature : url.ends_with(".txt") ? manifest : package;
            if (url.ends_with(".msi")) std::this_thread::sleep_for(packageDelay);
            std::copy_n(body.data(), std::min<size_t>(body.size(), size), buffer);
            if (body.size() < static_cast<size_t>(size)) buffer[body.size()] = '\0';
            return 0;
        };
        Updater updater({kBase, folder_.string(), installed},
                        {fetch, crypto::ed25519PublicKey(seed_), [this](const std::string&) { return ++launched_, true; }});
        return runUpdateSession(updater, ui_);
    }

    crypto::Ed25519Seed seed_{};
    std::string package_ = std::string(4096, 'p');
    std::string manifest_;
    fs::path folder_;
    ModalLoopUi ui_;
    int launched_ = 0;
};

TEST_F(UpdateSessionTest, CheckThatFindsNothingNewShowsNoWindowAndNoMessage) {
    EXPECT_EQ(session(std::chrono::milliseconds(0), "2.0.0").outcome, UpdateOutcome::upToDate);
    EXPECT_EQ(ui_.shown, nullptr);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(UpdateSessionTest, DownloadShowsItsProgressAndTheWindowClosesWhenTheInstallerStarts) {
    EXPECT_EQ(session(std::chrono::milliseconds(300)).outcome, UpdateOutcome::launched);
    ASSERT_NE(ui_.shown, nullptr);
    EXPECT_EQ(ui_.statuses.front().rfind("Downloading the new release, 4 KB", 0), 0u) << ui_.statuses.front();
    EXPECT_FALSE(ui_.isFormVisible(*ui_.shown));
    EXPECT_EQ(launched_, 1);
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(UpdateSessionTest, CancelClosesTheWindowAndStartsNothing) {
    ui_.onTick = [](platform::FormControls& controls) { controls.click("cmdCancel"); };
    EXPECT_EQ(session(std::chrono::milliseconds(500)).outcome, UpdateOutcome::cancelled);
    EXPECT_EQ(launched_, 0);
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_TRUE(!fs::exists(folder_) || fs::is_empty(folder_));
}

TEST_F(UpdateSessionTest, RefusalEndsInOneMessageNamingTheFault) {
    package_[0] = 'q';
    EXPECT_EQ(session(std::chrono::milliseconds(0)).outcome, UpdateOutcome::wrongHash);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_NE(ui_.boxes[0].prompt.find("SHA-256"), std::string::npos);
    EXPECT_EQ(ui_.boxes[0].title, kUpdateTitle);
    EXPECT_EQ(ui_.boxes[0].style & platform::vbCritical, platform::vbCritical);
    EXPECT_EQ(launched_, 0);
}

}  // namespace
}  // namespace tw::twupdate
