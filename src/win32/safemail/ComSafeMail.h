// Safe mail access port over the outside library's COM objects, created by ProgID and called late-bound.
#pragma once

#include "platform/SafeMail.h"

namespace tw::win32 {

class ComSafeMail final : public safemail::SafeMail {
public:
    std::shared_ptr<safemail::SafeMailItem> CreateSafeMailItem(const std::string& progId) override;
    std::shared_ptr<safemail::MAPIUtils> CreateMAPIUtils(const std::string& progId) override;
    std::shared_ptr<safemail::MAPITable> CreateMAPITable(const std::string& progId) override;
    std::shared_ptr<safemail::AddressLists> CreateAddressLists(const std::string& progId) override;
};

}  // namespace tw::win32
