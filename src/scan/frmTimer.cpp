// The queue's timer window: keeps exactly one platform timer while enabled with a non-zero interval.
#include "scan/frmTimer.h"

namespace tw::scan {

frmTimer::frmTimer(platform::UserInterface& ui, int intervalMs, std::function<void()> onTick)
    : ui_(ui), intervalMs_(intervalMs), onTick_(std::move(onTick)) {}

frmTimer::~frmTimer() { stop(); }

void frmTimer::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_) start();
    else stop();
}

void frmTimer::setInterval(int intervalMs) {
    if (intervalMs == intervalMs_) return;
    intervalMs_ = intervalMs;
    if (enabled_) {
        stop();
        start();
    }
}

void frmTimer::start() {
    if (timer_ != 0 || intervalMs_ <= 0) return;
    timer_ = ui_.setTimer(intervalMs_, [this] { onTick_(); });
}

void frmTimer::stop() {
    if (timer_ == 0) return;
    ui_.killTimer(timer_);
    timer_ = 0;
}

}  // namespace tw::scan
