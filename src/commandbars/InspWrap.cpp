// Mail window events: bookkeeping and shut-down when the last window closes without an explorer.
#include "commandbars/InspWrap.h"

#include "commandbars/CommandBarsHost.h"

namespace tw::commandbars {

void InspWrap::setInspector(std::shared_ptr<outlook::Inspector> inspector) {
    m_objInsp_ = std::move(inspector);
    onActivate_ = m_objInsp_->Activate().connect([this] { m_objInsp_Activate(); });
    onDeactivate_ = m_objInsp_->Deactivate().connect([this] { m_objInsp_Deactivate(); });
    onClose_ = m_objInsp_->Close().connect([this] { m_objInsp_Close(); });
}

void InspWrap::setItem(std::shared_ptr<outlook::Item> item, int itemClass) {
    switch (itemClass) {
        case outlook::olMail:
        case outlook::olAppointment:
        case outlook::olTask:
        case outlook::olContact:
            item_ = std::move(item);
            itemClass_ = itemClass;
            break;
        default:
            break;
    }
}

void InspWrap::detach() {
    onActivate_.reset();
    onDeactivate_.reset();
    onClose_.reset();
    item_.reset();
    m_objInsp_.reset();
}

void InspWrap::m_objInsp_Close() {
    auto self = shared_from_this();
    auto& log = addin_.log();
    try {
        log.LogErrorMessage("m_objInsp_Close");
        addin_.KillInsp(key_, *this);
        onActivate_.reset();
        onDeactivate_.reset();
        item_.reset();
        m_objInsp_.reset();
        auto application = addin_.application();
        if (application && application->Inspectors()->Count() < 2 && !application->ActiveExplorer()) {
            log.LogErrorMessage("Calling UnInitHandler from m_objInsp_Close()");
            addin_.UnInitHandler();
        }
        log.LogErrorMessage("End of m_objInsp_Close()");
    } catch (...) {
        log.logError("m_objInsp_Close");
    }
}

}  // namespace tw::commandbars
