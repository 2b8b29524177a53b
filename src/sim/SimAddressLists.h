// The simulated profile's address books, seen through the object model and through the safe mail
// library: the Contacts list first, then the books the client was given (see SimMailClient).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Outlook.h"
#include "platform/SafeMail.h"
#include "sim/SimItem.h"

namespace tw::sim {

class SimMailClient;

/// One address book: its display name and its entries ("SMTP", "EX" with the SMTP address in
/// smtp, or a distribution list with an empty type and address).
struct SimAddressBook {
    std::string name;
    std::vector<ResolvedAddress> entries;
};

/// The object model's address lists. Entries are read when a list's AddressEntries is asked for;
/// a book armed to fail ("AddressEntries:<name>" on the client's faults) raises then.
class SimAddressLists : public outlook::AddressLists {
public:
    explicit SimAddressLists(SimMailClient& client) : client_(client) {}
    int Count() override;
    std::shared_ptr<outlook::AddressList> Item(int index) override;

private:
    SimMailClient& client_;
};

/// The same books for the safe mail library, whose entries also answer properties by tag.
class SimSafeAddressLists : public safemail::AddressLists {
public:
    explicit SimSafeAddressLists(SimMailClient& client) : client_(client) {}
    int Count() override;
    std::shared_ptr<safemail::AddressList> Item(int index) override;

private:
    SimMailClient& client_;
};

}  // namespace tw::sim
