// The adapters of the safe mail library's objects: safe item, address entry and lists, recipients, utilities, table.
#pragma once

#include <functional>

#include "platform/SafeMail.h"
#include "win32/outlook/ComObject.h"

namespace tw::win32::safe {

namespace sm = tw::safemail;
using outlook::ComObject;

/// A property value as the library hands it out, in the port's form.
sm::PropValue propValueOf(const Variant& value);

class ComAddressEntry final : public sm::AddressEntry, public ComObject {
public:
    using ComObject::ComObject;
    std::string Name() override { return d_.get("Name").toString(); }
    std::string Type() override { return d_.get("Type").toString(); }
    std::string Address() override { return d_.get("Address").toString(); }
    sm::PropValue Fields(uint32_t propTag) override { return propValueOf(d_.get("Fields", static_cast<int32_t>(propTag))); }
};

class ComSafeAddressEntries final : public sm::AddressEntries, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<sm::AddressEntry> Item(int index) override {
        return outlook::wrapped<ComAddressEntry>(d_.get("Item", index));
    }
};

class ComSafeAddressList final : public sm::AddressList, public ComObject {
public:
    using ComObject::ComObject;
    std::string Name() override { return d_.get("Name").toString(); }
    std::shared_ptr<sm::AddressEntries> AddressEntries() override {
        return outlook::wrapped<ComSafeAddressEntries>(d_.get("AddressEntries"));
    }
};

class ComSafeAddressLists final : public sm::AddressLists, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<sm::AddressList> Item(int index) override {
        return outlook::wrapped<ComSafeAddressList>(d_.get("Item", index));
    }
};

class ComSafeRecipient final : public sm::SafeRecipient, public ComObject {
public:
    using ComObject::ComObject;
    std::string Name() override { return d_.get("Name").toString(); }
    int Type() override { return d_.get("Type").toInt(); }
    std::shared_ptr<sm::AddressEntry> AddressEntry() override {
        return outlook::wrapped<ComAddressEntry>(d_.get("AddressEntry"));
    }
};

class ComSafeRecipients final : public sm::SafeRecipients, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<sm::SafeRecipient> Item(int index) override {
        return outlook::wrapped<ComSafeRecipient>(d_.get("Item", index));
    }
    std::shared_ptr<sm::SafeRecipient> Add(const std::string& nameOrAddress) override {
        return outlook::wrapped<ComSafeRecipient>(d_.call("Add", nameOrAddress));
    }
};

class ComSafeMailItem final : public sm::SafeMailItem, public ComObject {
public:
    using ComObject::ComObject;
    void setItem(std::shared_ptr<tw::outlook::Item> item) override;
    std::shared_ptr<tw::outlook::Item> Item() override { return item_; }
    sm::PropValue Fields(uint32_t propTag) override { return propValueOf(d_.get("Fields", static_cast<int32_t>(propTag))); }
    std::shared_ptr<sm::AddressEntry> Sender() override { return outlook::wrapped<ComAddressEntry>(d_.get("Sender")); }
    std::string SenderName() override { return d_.get("SenderName").toString(); }
    std::shared_ptr<sm::SafeRecipients> Recipients() override {
        return outlook::wrapped<ComSafeRecipients>(d_.get("Recipients"));
    }
    std::string Body() override { return d_.get("Body").toString(); }
    void setBody(const std::string& value) override { d_.put("Body", value); }
    std::string HTMLBody() override { return d_.get("HTMLBody").toString(); }
    void Send() override { d_.call("Send"); }

private:
    std::shared_ptr<tw::outlook::Item> item_;
};

class ComMAPIUtils final : public sm::MAPIUtils, public ComObject {
public:
    /// afterCleanup: what the port lets go of once the library has let go of everything.
    ComMAPIUtils(ComPtr<IDispatch> object, std::function<void()> afterCleanup)
        : ComObject(std::move(object)), afterCleanup_(std::move(afterCleanup)) {}
    sm::PropValue HrGetOneProp(tw::outlook::Item& item, uint32_t propTag) override;
    void DeliverNow(int flags, intptr_t parentWindow) override {
        d_.call("DeliverNow", flags, static_cast<int32_t>(parentWindow));
    }
    void Cleanup() override {
        d_.call("Cleanup");
        if (afterCleanup_) afterCleanup_();
    }

private:
    std::function<void()> afterCleanup_;
};

class ComMAPITable final : public sm::MAPITable, public ComObject {
public:
    using ComObject::ComObject;
    void setItem(std::shared_ptr<tw::outlook::Items> items) override;
    sm::TableFilter& Filter() override { return filter_; }
    void setColumns(const std::vector<uint32_t>& propTags) override;
    /// Counts with the filter as it stands now, as the scan's progress total needs before its walk.
    int RowCount() override {
        applyFilter();
        return d_.get("RowCount").toInt();
    }
    void GoToFirst() override { d_.call("GoToFirst"); }
    bool FindFirst(bool forward) override;
    bool FindNext(bool forward) override { return d_.call("FindNext", forward).toBool(); }
    std::vector<sm::PropValue> GetRow() override;
    std::vector<std::vector<sm::PropValue>> GetRows(int count) override;

private:
    /// Kept here and handed to the library's filter object before each FindFirst.
    class PendingFilter final : public sm::TableFilter {
    public:
        void Clear() override { kind_ = 0; }
        sm::BitmaskRestriction& SetKind(int kind) override;
        int kind() const { return kind_; }
        const sm::BitmaskRestriction& restriction() const { return restriction_; }

    private:
        int kind_ = 0;
        sm::BitmaskRestriction restriction_;
    };
    void applyFilter();

    PendingFilter filter_;
    std::shared_ptr<tw::outlook::Items> items_;
};

}  // namespace tw::win32::safe
