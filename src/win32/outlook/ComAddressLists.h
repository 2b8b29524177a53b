// Object-model adapters of the profile's address lists and their entries.
#pragma once

#include "platform/Outlook.h"
#include "win32/outlook/ComItem.h"
#include "win32/outlook/ComObject.h"

namespace tw::win32::outlook {

namespace ol = tw::outlook;

class ComAddressEntries final : public ol::AddressEntries, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::AddressEntry> Item(int index) override { return wrapped<ComAddressEntry>(d_.get("Item", index)); }
};

class ComAddressList final : public ol::AddressList, public ComObject {
public:
    using ComObject::ComObject;
    std::string Name() override { return d_.get("Name").toString(); }
    std::shared_ptr<ol::AddressEntries> AddressEntries() override {
        return wrapped<ComAddressEntries>(d_.get("AddressEntries"));
    }
};

class ComAddressLists final : public ol::AddressLists, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::AddressList> Item(int index) override { return wrapped<ComAddressList>(d_.get("Item", index)); }
};

}  // namespace tw::win32::outlook
