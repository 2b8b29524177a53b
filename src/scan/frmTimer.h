// The invisible window that hosts a queue's timer: a window timer switched on and off with its Enabled.
#pragma once

#include <functional>
#include <string>

#include "platform/UserInterface.h"

namespace tw::scan {

class frmTimer : public platform::FormView {
public:
    /// Starts disabled with the given interval; onTick runs on every tick while enabled.
    frmTimer(platform::UserInterface& ui, int intervalMs, std::function<void()> onTick);
    ~frmTimer() override;
    frmTimer(const frmTimer&) = delete;
    frmTimer& operator=(const frmTimer&) = delete;

    std::string formName() const override { return "frmTimer"; }

    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    int Interval() const { return intervalMs_; }
    /// A running timer restarts with the new interval; 0 stops the ticks, as a window timer's does.
    void setInterval(int intervalMs);

private:
    void start();
    void stop();

    platform::UserInterface& ui_;
    int intervalMs_;
    std::function<void()> onTick_;
    bool enabled_ = false;
    platform::TimerId timer_ = 0;
};

}  // namespace tw::scan
