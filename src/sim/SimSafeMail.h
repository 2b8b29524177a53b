// The simulated safe mail access library: safe mail items, MAPI utilities and MAPI tables that
// answer from the simulated client's items as the outside library answers from the real store.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/SafeMail.h"
#include "sim/FaultInjector.h"
#include "sim/SimItem.h"

namespace tw::sim {

class SimMailClient;

/// A MAPI property of a simulated item; Empty when the item does not have it.
safemail::PropValue itemProperty(SimItem& item, uint32_t propTag);

class SimSafeAddressEntry : public safemail::AddressEntry {
public:
    explicit SimSafeAddressEntry(ResolvedAddress address) : address_(std::move(address)) {}
    std::string Name() override { return address_.name; }
    std::string Type() override { return address_.type; }
    std::string Address() override { return address_.address; }
    safemail::PropValue Fields(uint32_t propTag) override;

private:
    ResolvedAddress address_;
};

class SimSafeMailItem : public safemail::SafeMailItem {
public:
    void setItem(std::shared_ptr<outlook::Item> item) override;
    std::shared_ptr<outlook::Item> Item() override { return item_; }
    safemail::PropValue Fields(uint32_t propTag) override;
    std::shared_ptr<safemail::AddressEntry> Sender() override;
    std::string SenderName() override;
    std::shared_ptr<safemail::SafeRecipients> Recipients() override;
    std::string Body() override;
    void setBody(const std::string& value) override;
    std::string HTMLBody() override;
    void Send() override;

private:
    SimItem& bound();
    std::shared_ptr<outlook::Item> item_;
};

class SimMAPIUtils : public safemail::MAPIUtils {
public:
    SimMAPIUtils(SimMailClient* client, FaultInjector& faults) : client_(client), faults_(faults) {}
    safemail::PropValue HrGetOneProp(outlook::Item& item, uint32_t propTag) override;
    void DeliverNow(int flags, intptr_t parentWindow) override;
    void Cleanup() override { ++cleanups_; }

    int deliveries() const { return deliveries_; }
    int cleanups() const { return cleanups_; }

private:
    SimMailClient* client_;
    FaultInjector& faults_;
    int deliveries_ = 0;
    int cleanups_ = 0;
};

/// Creates the objects for the four ProgIDs of the product's build of the library.
class SimSafeMail : public safemail::SafeMail {
public:
    static constexpr const char* kSafeMailItem = "TarnwickRedemption.TarnwickSafeMailItem";
    static constexpr const char* kMAPIUtils = "TarnwickRedemption.TarnwickMAPIUtils";
    static constexpr const char* kMAPITable = "TarnwickRedemption.TarnwickMAPITable";
    static constexpr const char* kAddressLists = "TarnwickRedemption.TarnwickAddressLists";

    explicit SimSafeMail(SimMailClient* client = nullptr) : client_(client) {}
    /// The client whose Outbox DeliverNow empties.
    void setClient(SimMailClient* client) { client_ = client; }

    std::shared_ptr<safemail::SafeMailItem> CreateSafeMailItem(const std::string& progId) override;
    std::shared_ptr<safemail::MAPIUtils> CreateMAPIUtils(const std::string& progId) override;
    std::shared_ptr<safemail::MAPITable> CreateMAPITable(const std::string& progId) override;
    /// The address books of the client; raises 429 as well when the object has no client.
    std::shared_ptr<safemail::AddressLists> CreateAddressLists(const std::string& progId) override;

    /// Failures armed by name: "CreateSafeMailItem", "CreateMAPIUtils", "CreateMAPITable",
    /// "CreateAddressLists" (the library is not installed), "HrGetOneProp" (target: the item's entry identifier).
    FaultInjector& faults() { return faults_; }
    /// Safe mail items still held by someone: the add-in releases each before its call returns.
    int safeMailItemsAlive() const;
    int created(const std::string& progId) const;

private:
    void check(const std::string& progId, const char* expected, const char* operation);

    SimMailClient* client_;
    FaultInjector faults_;
    std::vector<std::weak_ptr<safemail::SafeMailItem>> items_;
    std::vector<std::string> createdProgIds_;
};

}  // namespace tw::sim
