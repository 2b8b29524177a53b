// The Inbox's new-item handler: new mail goes to the Inbox queue at once.
#pragma once

#include <memory>

#include "platform/Outlook.h"

namespace tw::scan {

class ScanHost;

/// A new Inbox item: mail goes to the Inbox queue at once, and any item wakes the queue. Never raises.
void myOlItems_ItemAdd(ScanHost& host, const std::shared_ptr<outlook::Item>& item);

}  // namespace tw::scan
