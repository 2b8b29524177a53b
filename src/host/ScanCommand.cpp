// Runs the manual folder scan from the command line, with a progress bar and Ctrl-C to cancel.
#include "host/ScanCommand.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iomanip>
#include <sstream>

#include "addin/FolderPaths.h"
#include "addin/OrvennaOutAddIn.h"
#include "commandbars/ExplorerBars.h"
#include "core/Error.h"
#include "core/Text.h"
#include "host/FolderListing.h"

namespace tw::host {

namespace {

volatile std::sig_atomic_t cancelRequested = 0;

extern "C" void onInterrupt(int) { cancelRequested = 1; }

/// Ctrl-C asks the scan to stop while this lives; the previous handler comes back after.
class InterruptGuard {
public:
    InterruptGuard() { previous_ = std::signal(SIGINT, onInterrupt); }
    ~InterruptGuard() {
        std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
        cancelRequested = 0;
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    void (*previous_)(int) = SIG_DFL;
};

using Clock = std::chrono::steady_clock;

/// Draws the progress window in the terminal from its count, at most ten times a second (lines:
/// once a second), and cancels it when Ctrl-C came.
class ProgressView {
public:
    ProgressView(sim::SimUserInterface& ui, ProgressStyle style, int total, std::string heading, std::ostream& out)
        : ui_(ui), style_(style), total_(total), heading_(std::move(heading)), out_(out) {}

    void onYield() {
        auto* form = ui_.visibleForm("frmScanning");
        if (!form) return;
        form_ = form;
        auto& controls = *form->controls();
        if (cancelRequested && !cancelled_) {
            cancelled_ = true;
            controls.click("CancelScanCmd");
        }
        if (!started_) {
            started_ = true;
            start_ = Clock::now();
            if (!heading_.empty()) out_ << heading_ << "\n";
            out_ << controls["Label1"].caption << "\n";
        }
        count_ = countIn(controls["StatusLabel"].caption);
        const auto& bar = controls["prgScan"];
        percent_ = bar.visible ? bar.number : -1;
        auto now = Clock::now();
        if (now - lastDrawn_ >= (style_ == ProgressStyle::bar ? std::chrono::milliseconds(100) : std::chrono::seconds(1))) {
            lastDrawn_ = now;
            draw(false);
        }
    }
    /// The last figures, once the window has gone.
    void finish() {
        // The window has gone; its last count is still on it.
        if (form_) {
            const auto& controls = *form_->controls();
            count_ = countIn(controls["StatusLabel"].caption);
            percent_ = controls["prgScan"].visible ? controls["prgScan"].number : -1;
        }
        if (started_ && (style_ == ProgressStyle::bar || count_ != drawnCount_)) draw(true);
        started_ = false;
    }
    bool cancelled() const { return cancelled_; }

private:
    static int countIn(const std::string& caption) {
        size_t digits = caption.find_last_not_of("0123456789");
        return digits + 1 < caption.size() ? std::stoi(caption.substr(digits + 1)) : 0;
    }
    void draw(bool last) {
        drawnCount_ = count_;
        double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        std::ostringstream line;
        if (style_ == ProgressStyle::bar) {
            constexpr int kWidth = 30;
            // The window's own bar where it shows one; else the count of the messages listed.
            int filled = percent_ >= 0 ? std::min(kWidth, percent_ * kWidth / 100)
                         : total_ > 0  ? std::min(kWidth, count_ * kWidth / total_)
                                       : kWidth;
            line << "\r[" << std::string(static_cast<size_t>(filled), '#') << std::string(static_cast<size_t>(kWidth - filled), '.')
                 << "] ";
        }
        line << count_ << " of " << total_ << " checked, " << std::fixed << std::setprecision(1)
             << (seconds > 0 ? count_ / seconds : 0.0) << " msg/s, " << seconds << " s elapsed";
        out_ << line.str() << (style_ == ProgressStyle::bar && !last ? "" : "\n") << std::flush;
    }

    sim::SimUserInterface& ui_;
    ProgressStyle style_;
    int total_;
    std::string heading_;
    std::ostream& out_;
    platform::FormView* form_ = nullptr;
    bool started_ = false, cancelled_ = false;
    int count_ = 0, drawnCount_ = -1, percent_ = -1;
    Clock::time_point start_{}, lastDrawn_{};
};

int messagesIn(sim::SimFolder& folder, bool unread) {
    int n = 0;
    for (const auto& item : listedItems(folder)) n += item->Class() == outlook::olMail && item->UnRead() == unread ? 1 : 0;
    return n;
}

/// Runs one scan with its progress drawn; prints the result window's figures. False when no result came.
bool scanWithProgress(HostSession& session, ProgressStyle style, int total, const std::string& heading,
                      const std::function<void()>& press, std::ostream& out, bool& cancelled) {
    auto& ui = session.ui();
    ProgressView view(ui, style, total, heading, out);
    ui.onYield = [&view] { view.onYield(); };
    press();
    ui.onYield = nullptr;
    view.finish();
    cancelled = cancelled || view.cancelled();
    auto* result = ui.visibleForm("frmScanResults");
    if (!result) return false;
    auto& c = *result->controls();
    out << c.caption << (view.cancelled() ? " (cancelled)" : "") << ":\n";
    for (const auto& line : text::split(c["Label1"].caption, "\r\n"))
        if (!line.empty()) out << "  " << line << "\n";
    return true;
}

}  // namespace

void requestScanCancel() { cancelRequested = 1; }

int runScanCommand(HostSession& session, const ScanRequest& request, ProgressStyle style, std::ostream& out,
                   std::ostream& err) {
    auto folder = findFolder(session.client(), request.folder);
    InterruptGuard interrupts;
    session.startAddin();
    auto* addin = session.addin();
    auto explorer = session.client().activeExplorer();
    auto bar = explorer ? explorer->bars()->bar(commandbars::toolbarName()) : nullptr;
    auto control = bar ? bar->controls()->find(0, 0, commandbars::controlTag("mScanFolder"), false, true) : nullptr;
    if (!addin || !control) {
        session.stopAddin();
        err << "tarnwick: the add-in did not start or has no menu; see the log in the profile.\n";
        return 1;
    }
    auto& ui = session.ui();
    const size_t boxesBefore = ui.boxes.size();
    session.client().setPickFolderAnswer(folder);
    bool cancelled = false;
    bool shown = scanWithProgress(session, style, messagesIn(*folder, true), "Scanning " + addin::getFolderPath(*folder),
                                  [&] { control->click(); }, out, cancelled);
    if (ui.boxes.size() > boxesBefore) {
        for (size_t i = boxesBefore; i < ui.boxes.size(); ++i) err << "tarnwick: " << ui.boxes[i].prompt << "\n";
        session.stopAddin();
        return 1;
    }
    if (shown && request.read && !cancelled) {
        auto& results = *ui.visibleForm("frmScanResults")->controls();
        scanWithProgress(session, style, messagesIn(*folder, false), "Pressed \"Scan Read\"",
                         [&] { results.click("cmdScanRead"); }, out, cancelled);
    }
    if (cancelled) out << "Cancelled; the counters and the processed cache are stored as at any stop.\n";
    session.stopAddin();
    return 0;
}

}  // namespace tw::host
