// The address lists' contract, through the object model and through the safe mail library: one
// suite that the simulated client and the Windows adapters over the stand-in client both pass.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Error.h"
#include "platform/Outlook.h"
#include "platform/SafeMail.h"

namespace tw::contract {

/// One entry of an address book as a test sets it up: type "SMTP", "EX" (address is the directory
/// name, smtp the Internet address) or "MAPIPDL" (a distribution list, no address).
struct BookEntry {
    std::string name, type, address, smtp;
};

/// A profile with a Contacts folder and address books, seen through both ports.
class AddressBookWorld {
public:
    virtual ~AddressBookWorld() = default;
    virtual std::shared_ptr<outlook::NameSpace> nameSpace() = 0;
    virtual safemail::SafeMail& safeMail() = 0;
    virtual void addContact(const std::string& fullName, const std::string& email) = 0;
    virtual void addAddressBook(const std::string& name, const std::vector<BookEntry>& entries) = 0;
};

struct AddressBookWorldFactory {
    std::string name;
    std::function<std::unique_ptr<AddressBookWorld>()> make;
};

inline constexpr const char* kAddressListsProgId = "TarnwickRedemption.TarnwickAddressLists";

class AddressListsContractTest : public ::testing::TestWithParam<AddressBookWorldFactory> {
protected:
    void SetUp() override {
        world = GetParam().make();
        world->addContact("Ann Contact", "ann@a.example");
        world->addAddressBook("Company", {{"Pat", "SMTP", "pat@p.example", "pat@p.example"},
                                          {"J Smith", "EX", "/o=Org/cn=jsmith", "J.Smith@corp.example"},
                                          {"All Staff", "MAPIPDL", "", ""}});
        world->addAddressBook("Company", {{"Bo", "SMTP", "bo@b.example", "bo@b.example"}});
    }

    static long errorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const Error& e) {
            return e.number() == 0 ? -1 : e.number();
        }
        return 0;
    }

    std::unique_ptr<AddressBookWorld> world;
};

TEST_P(AddressListsContractTest, TheObjectModelListsContactsFirstThenEachBookWithItsEntries) {
    auto ns = world->nameSpace();
    auto lists = ns->AddressLists();
    ASSERT_EQ(lists->Count(), 3);
    EXPECT_EQ(lists->Item(1)->Name(), ns->GetDefaultFolder(outlook::olFolderContacts)->Name());
    auto contacts = lists->Item(1)->AddressEntries();
    ASSERT_EQ(contacts->Count(), 1);
    EXPECT_EQ(contacts->Item(1)->Address(), "ann@a.example");
    EXPECT_EQ(contacts->Item(1)->Type(), "SMTP");

    EXPECT_EQ(lists->Item(2)->Name(), "Company");
    auto entries = lists->Item(2)->AddressEntries();
    ASSERT_EQ(entries->Count(), 3);
    EXPECT_EQ(entries->Item(1)->Address(), "pat@p.example");
    EXPECT_EQ(entries->Item(2)->Type(), "EX");
    EXPECT_EQ(entries->Item(2)->Address(), "/o=Org/cn=jsmith");
    EXPECT_EQ(entries->Item(3)->Name(), "All Staff");
    EXPECT_EQ(entries->Item(3)->Address(), "");
    EXPECT_EQ(lists->Item(3)->AddressEntries()->Item(1)->Address(), "bo@b.example") << "a book of the same name is its own";
    EXPECT_NE(errorOf([&] { lists->Item(4); }), 0);
    EXPECT_NE(errorOf([&] { entries->Item(4); }), 0);
}

TEST_P(AddressListsContractTest, TheSafeLibraryAnswersADirectoryUsersSmtpAddressByTag) {
    auto lists = world->safeMail().CreateAddressLists(kAddressListsProgId);
    ASSERT_EQ(lists->Count(), 3);
    EXPECT_EQ(lists->Item(2)->Name(), "Company");
    auto entries = lists->Item(2)->AddressEntries();
    ASSERT_EQ(entries->Count(), 3);
    EXPECT_EQ(entries->Item(1)->Type(), "SMTP");
    EXPECT_EQ(entries->Item(1)->Address(), "pat@p.example");
    EXPECT_EQ(entries->Item(2)->Type(), "EX");
    EXPECT_EQ(entries->Item(2)->Fields(safemail::PR_SMTP_ADDRESS).text(), "J.Smith@corp.example");
    EXPECT_EQ(entries->Item(3)->Fields(safemail::PR_SMTP_ADDRESS).text(), "") << "a distribution list has none";
    EXPECT_EQ(entries->Item(3)->Address(), "");
    EXPECT_EQ(errorOf([&] { world->safeMail().CreateAddressLists("TarnwickRedemption.NoSuchClass"); }), 429);
}

}  // namespace tw::contract
