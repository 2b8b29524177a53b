// The wrapper kept for each open mail window: follows its close and shuts the add-in down when
// the last window closes with no explorer left.
#pragma once

#include <cstdint>
#include <memory>

#include "commandbars/CommandBarsHost.h"
#include "core/Event.h"
#include "platform/Outlook.h"

namespace tw::commandbars {

class InspWrap : public std::enable_shared_from_this<InspWrap> {
public:
    explicit InspWrap(CommandBarsHost& addin) : addin_(addin) {}
    InspWrap(const InspWrap&) = delete;
    InspWrap& operator=(const InspWrap&) = delete;

    void setInspector(std::shared_ptr<outlook::Inspector> inspector);
    std::shared_ptr<outlook::Inspector> Inspector() const { return m_objInsp_; }
    /// The window's item, kept by its class (mail, appointment, task or contact).
    void setItem(std::shared_ptr<outlook::Item> item, int itemClass);
    std::shared_ptr<outlook::Item> item() const { return item_; }
    int itemClass() const { return itemClass_; }
    void setKey(int16_t key) { key_ = key; }
    int16_t Key() const { return key_; }

    void m_objInsp_Activate() {}
    void m_objInsp_Deactivate() {}
    void m_objInsp_Close();
    /// Stops following the window and lets go of it; the add-in calls this at teardown.
    void detach();

private:
    CommandBarsHost& addin_;
    std::shared_ptr<outlook::Inspector> m_objInsp_;
    std::shared_ptr<outlook::Item> item_;
    int itemClass_ = 0;
    int16_t key_ = 0;
    Subscription onActivate_, onDeactivate_, onClose_;
};

}  // namespace tw::commandbars
