// The simulated store on disk: Maildir++ folders, the index, restarts, contacts and broken files.
#include <gtest/gtest.h>

#include <set>

#include "core/Error.h"
#include "sim/MaildirStore.h"
#include "support/MailStoreFixture.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) names.push_back(it->path().filename().string());
    return names;
}

std::string contactsFilter(const std::string& address) {
    const std::string q = outlook::quoteFilterText(address);
    return "[Email1Address] = " + q + " Or [Email2Address] = " + q + " Or [Email3Address] = " + q;
}

TEST(MailStore, ARestartKeepsIdentifiersReadStatePropertiesAndMoves) {
    MailStoreFixture f;
    auto& client = f.open();
    auto ham = client.deliverMessage(simDataFile("ham-to-and-cc.eml"));
    auto spam = client.deliverMessage(simDataFile("spam-alternative-qp.eml"));
    auto other = client.deliverMessage(simDataFile("spam-koi8r.eml"));
    const std::string storeId = client.inbox()->StoreID();
    const std::string hamId = ham->EntryID(), spamId = spam->EntryID(), otherId = other->EntryID();
    const OleDate checkedAt = OleDate::fromCivil({2026, 12, 8, 9, 5, 0});

    ham->setUnRead(false);
    auto marker = ham->UserProperties()->Add("tarnwickd", outlook::olDateTime, true);
    marker->setValue(checkedAt);
    ham->Save();
    auto junk = std::static_pointer_cast<sim::SimFolder>(client.stores()->all().front()->Folders()->Add("Tarnwick", outlook::olFolderMail));
    const std::string junkId = junk->EntryID();
    spam->Move(*junk);
    other->Delete();
    f.clock.advance(60000);

    auto& again = f.restart();
    EXPECT_TRUE(f.log.empty()) << f.log.front();
    EXPECT_EQ(again.inbox()->StoreID(), storeId);
    auto hamAgain = again.nameSpace()->GetItemFromID(hamId, storeId);
    EXPECT_FALSE(hamAgain->UnRead());
    EXPECT_EQ(hamAgain->Subject(), "FYI - gone this weekend");
    EXPECT_EQ(hamAgain->CreationTime(), ham->CreationTime());
    auto property = hamAgain->UserProperties()->Find("TARNWICKD");
    ASSERT_TRUE(property);
    EXPECT_EQ(std::get<OleDate>(property->Value()), checkedAt);
    EXPECT_EQ(hamAgain->Parent()->Name(), "Inbox");

    auto spamAgain = again.nameSpace()->GetItemFromID(spamId, storeId);
    EXPECT_TRUE(spamAgain->UnRead());
    EXPECT_EQ(spamAgain->Parent()->EntryID(), junkId);
    EXPECT_EQ(again.nameSpace()->GetFolderFromID(junkId, storeId)->Name(), "Tarnwick");
    EXPECT_EQ(again.nameSpace()->GetItemFromID(otherId, storeId)->Parent()->Name(), "Deleted Items");

    // The files say the same: the read message carries S, the moved one lies in its folder.
    auto inboxFiles = filesIn(f.mail() / "cur");
    ASSERT_EQ(inboxFiles.size(), 1u);
    EXPECT_EQ(inboxFiles[0].substr(inboxFiles[0].size() - 4), ":2,S");
    EXPECT_EQ(filesIn(f.mail() / ".Tarnwick" / "cur").size(), 1u);
    EXPECT_EQ(filesIn(f.mail() / ".Deleted Items" / "cur").size(), 1u);

    // A later message never gets an identifier that was handed out before.
    auto later = again.deliver("later");
    EXPECT_EQ(std::set<std::string>({hamId, spamId, otherId, junkId, later->EntryID()}).size(), 5u);

    // Deleting from Deleted Items removes the message for good.
    again.nameSpace()->GetItemFromID(otherId, storeId)->Delete();
    EXPECT_TRUE(filesIn(f.mail() / ".Deleted Items" / "cur").empty());
    EXPECT_THROW(again.nameSpace()->GetItemFromID(otherId, storeId), Error);
}

TEST(MailStore, AChangeNotYetCompactedIsReplayedFromTheJournal) {
    MailStoreFixture f;
    auto& client = f.open();
    auto item = client.deliverMessage(simDataFile("ham-to-and-cc.eml"));
    item->UserProperties()->Add("tarnwickd", outlook::olDateTime)->setValue(OleDate::fromCivil({2026, 12, 8, 9, 1, 0}));
    item->Save();
    // A crash now: the client never closes, so the index was not rewritten. Copy the folder as the
    // crash left it, with a half-written line at the end of the journal.
    MailStoreFixture crashed;
    fs::copy(f.mail(), crashed.mail(), fs::copy_options::recursive);
    ASSERT_TRUE(fs::exists(crashed.mail() / "tarnwick-index.journal"));
    std::ofstream(crashed.mail() / "tarnwick-index.journal", std::ios::app) << "item\t00000000A5F0000000000099\tbroken";

    auto& reopened = crashed.open();
    EXPECT_TRUE(crashed.logged("incomplete"));
    auto found = reopened.findItem(item->EntryID(), "");
    ASSERT_TRUE(found);
    ASSERT_TRUE(found->UserProperties()->Find("tarnwickd"));
    EXPECT_FALSE(fs::exists(crashed.mail() / "tarnwick-index.journal"));
}

TEST(MailStore, FolderNamesMapToMaildirDirectoriesAndBack) {
    EXPECT_EQ(sim::MaildirStore::directoryName({"Inbox"}), "");
    EXPECT_EQ(sim::MaildirStore::directoryName({"Sent Items"}), ".Sent Items");
    EXPECT_EQ(sim::MaildirStore::directoryName({"Inbox", "Lists"}), ".Inbox.Lists");
    EXPECT_EQ(sim::MaildirStore::directoryName({"Tarnwick", "v1.2 50%/x"}), ".Tarnwick.v1%2E2 50%25%2Fx");
    EXPECT_EQ(sim::MaildirStore::folderPath(".Tarnwick.v1%2E2 50%25%2Fx"), (std::vector<std::string>{"Tarnwick", "v1.2 50%/x"}));
    EXPECT_TRUE(sim::MaildirStore::folderPath("cur").empty());
    EXPECT_TRUE(sim::MaildirStore::folderPath(".a..b").empty());

    MailStoreFixture f;
    auto& client = f.open();
    auto sub = std::static_pointer_cast<sim::SimFolder>(client.inbox()->Folders()->Add("v1.2", outlook::olFolderMail));
    client.deliverMessage(simDataFile("spam-koi8r.eml"), sub);
    // A folder someone made by hand is found too.
    f.putFile(".Archive.2002/cur/1.hand:2,S", simDataFile("ham-to-and-cc.eml"));

    auto& again = f.restart();
    auto subAgain = again.inbox()->simFolders()->find("v1.2");
    ASSERT_TRUE(subAgain);
    EXPECT_EQ(subAgain->EntryID(), sub->EntryID());
    EXPECT_EQ(subAgain->Items()->Count(), 1);
    auto archive = again.stores()->all().front()->simFolders()->find("Archive");
    ASSERT_TRUE(archive);
    auto year = archive->simFolders()->find("2002");
    ASSERT_TRUE(year);
    ASSERT_EQ(year->Items()->Count(), 1);
    EXPECT_FALSE(year->Items()->Item(1)->UnRead());
}

TEST(MailStore, BrokenFilesAreSkippedOrLoadedAndNeverCostAnotherMessage) {
    MailStoreFixture f;
    f.putFile("cur/01.empty:2,", "");
    f.putFile("cur/02.binary:2,", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20));
    f.putFile("cur/03.noheaders:2,", "Hello there,\nno headers in this one.\n");
    f.putFile("cur/04.brokenmime:2,",
              "From: a@b.example\nSubject: broken\nContent-Type: multipart/alternative; boundary=\"gone\"\n\nonly text\n");
    f.putFile("cur/05.unknowncharset:2,",
              "From: a@b.example\nSubject: =?x-martian?Q?caf=E9?=\nContent-Type: text/plain; charset=x-martian\n\ncaf\xE9\n");
    f.putFile("new/06.good", simDataFile("ham-to-and-cc.eml"));
    fs::create_directories(f.mail() / "cur" / "07.directory:2,");
    // A large message: headers are read at once, the body only when asked for.
    std::string big = "From: big@x.example\r\nSubject: big\r\n\r\n";
    big.reserve(50u << 20);
    while (big.size() < (50u << 20)) big += "0123456789abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwx\r\n";
    f.putFile("cur/08.big:2,", big);
    f.putFile("contacts/nothing.vcf", "this is not a card\n");
    f.putFile("tarnwick-index.tsv", "# tarnwick mail store index 1\ngarbage line\n");

    auto& client = f.open();

    EXPECT_TRUE(f.logged("01.empty: the file is empty"));
    EXPECT_TRUE(f.logged("02.binary: the file is not a mail message"));
    EXPECT_TRUE(f.logged("03.noheaders has no headers"));
    EXPECT_TRUE(f.logged("07.directory:2,: not a file"));
    EXPECT_TRUE(f.logged("contacts/nothing.vcf: it holds no vCard"));
    EXPECT_TRUE(f.logged("line 2 is not understood"));

    std::map<std::string, std::shared_ptr<outlook::Item>> bySubject;
    auto items = client.inbox()->Items();
    ASSERT_EQ(items->Count(), 5);
    for (int i = 1; i <= items->Count(); ++i) bySubject[items->Item(i)->Subject()] = items->Item(i);
    EXPECT_EQ(bySubject.at("")->Body(), "Hello there,\nno headers in this one.\n");
    EXPECT_NE(bySubject.at("broken")->Body().find("only text"), std::string::npos);
    EXPECT_EQ(bySubject.at("caf\xC3\xA9")->Body(), "caf\xC3\xA9\n");
    EXPECT_TRUE(bySubject.at("FYI - gone this weekend")->UnRead());
    EXPECT_GE(bySubject.at("big")->Body().size(), 50u << 20);
    // The skipped files are left where they were, for the user to look at.
    EXPECT_TRUE(fs::exists(f.mail() / "cur" / "02.binary:2,"));
    EXPECT_FALSE(fs::exists(f.mail() / "new" / "06.good"));
}

TEST(MailStore, MessagesListInTheOrderTheyWereDeliveredWhateverTheirNamesPadding) {
    MailStoreFixture f;
    // Written by an older store: microseconds and sequence without zero padding, so "M1000" sorts
    // before "M999" and "Q10" before "Q2" as text.
    f.putFile("cur/1700000000.M999P7Q1.host:2,S", "From: a@x.example\nSubject: first\n\nA\n");
    f.putFile("cur/1700000000.M1000P7Q2.host:2,S", "From: a@x.example\nSubject: second\n\nB\n");
    f.putFile("cur/1700000000.M1000P7Q10.host:2,S", "From: a@x.example\nSubject: third\n\nC\n");
    f.putFile("cur/1700000001.M5P7Q11.host:2,S", "From: a@x.example\nSubject: fourth\n\nD\n");
    auto& client = f.open();
    auto items = client.inbox()->Items();
    ASSERT_EQ(items->Count(), 4);
    std::vector<std::string> subjects;
    for (int i = 1; i <= items->Count(); ++i) subjects.push_back(items->Item(i)->Subject());
    EXPECT_EQ(subjects, (std::vector<std::string>{"first", "second", "third", "fourth"}));
}

TEST(MailStore, DeliveringBrokenInputRaisesInsteadOfStoringIt) {
    MailStoreFixture f;
    auto& client = f.open();
    int added = 0;
    auto sub = client.inbox()->Items()->ItemAdd().connect([&](auto) { ++added; });
    EXPECT_THROW(client.deliverMessage(""), Error);
    EXPECT_THROW(client.deliverMessage(std::string("\0\0\0\x01", 4)), Error);
    client.deliverMessage("Subject: fine\r\n\r\nbody\r\n");
    EXPECT_EQ(added, 1);
    EXPECT_EQ(filesIn(f.mail() / "cur").size(), 1u);
}

TEST(MailStore, ContactsComeFromVCardFilesAndAddressBookExports) {
    MailStoreFixture f;
    // A "mailto:" given twice is read away twice, and a carriage return inside a line is dropped, or the
    // card would read differently once written back.
    f.putFile("contacts/ann.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Example \r \r\nEMAIL;TYPE=INTERNET:mailto:MAILTO:ann@example.com\r\n"
              "END:VCARD\r\n");
    f.putFile("contacts/export.vcf",
              "BEGIN:VCARD\nVERSION:2.1\nN:Brien;Sean;;;\nEMAIL;PREF;INTERNET:sean@work.example\n"
              "EMAIL;INTERNET:O'Brien@Home.Example\nEND:VCARD\n"
              "BEGIN:VCARD\nVERSION:2.1\nFN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Jos=C3=A9 Garc=\n=C3=ADa\n"
              "item1.EMAIL;type=INTERNET:jose@x.example\nEND:VCARD\n"
              "BEGIN:VCARD\nVERSION:4.0\nFN:Three Mails\nEMAIL:one@t.example\nEMAIL:two@t.example\n"
              "EMAIL:three\n @t.example\nEND:VCARD\n");
    auto& client = f.open();
    auto contacts = client.defaultFolder(outlook::olFolderContacts);
    ASSERT_EQ(contacts->Items()->Count(), 4);
    EXPECT_EQ(contacts->DefaultItemType(), outlook::olContactItem);
    auto ann = contacts->Items()->Find(contactsFilter("ann@example.com"));
    ASSERT_TRUE(ann);
    EXPECT_EQ(ann->FullName(), "Ann Example");

    auto obrien = contacts->Items()->Find(contactsFilter("o'brien@home.example"));
    ASSERT_TRUE(obrien);
    EXPECT_EQ(obrien->FullName(), "Sean Brien");
    EXPECT_EQ(obrien->Email2Address(), "O'Brien@Home.Example");
    auto jose = contacts->Items()->Find("[FullName] = 'Jos\xC3\xA9 Garc\xC3\xAD" "a'");
    ASSERT_TRUE(jose);
    EXPECT_EQ(jose->Email1Address(), "jose@x.example");
    auto three = contacts->Items()->Find(contactsFilter("three@t.example"));
    ASSERT_TRUE(three);
    EXPECT_EQ(three->Email3Address(), "three@t.example");
    EXPECT_FALSE(contacts->Items()->Find(contactsFilter("x' Or [Email1Address] <> '")));
    EXPECT_THROW(obrien->HTMLBody(), Error);
    EXPECT_THROW(client.inbox()->Items()->Find("[Email1Address] = 'o'brien@home.example'"), Error);

    // Removing one card of an export rewrites that file and keeps the others' identifiers.
    const std::string joseId = jose->EntryID(), threeId = three->EntryID();
    obrien->Delete();
    auto added = client.addContact("Dee New", {"dee@new.example"});
    auto& again = f.restart();
    EXPECT_TRUE(f.log.empty());
    auto contactsAgain = again.defaultFolder(outlook::olFolderContacts);
    EXPECT_EQ(contactsAgain->Items()->Count(), 4);
    EXPECT_EQ(again.findItem(joseId, "")->FullName(), "Jos\xC3\xA9 Garc\xC3\xAD" "a");
    EXPECT_EQ(again.findItem(threeId, "")->FullName(), "Three Mails");
    EXPECT_EQ(again.findItem(added->EntryID(), "")->Email1Address(), "dee@new.example");
    EXPECT_FALSE(contactsAgain->Items()->Find(contactsFilter("o'brien@home.example")));
    EXPECT_TRUE(fs::exists(f.mail() / "contacts" / (added->EntryID() + ".vcf")));
}

TEST(MailStore, DeletingAContactFromACrLfFileRemovesThatCardOnly) {
    // vCard files end their lines in CR LF, and the contacts this client writes do too.
    MailStoreFixture f;
    f.putFile("contacts/export.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:First Card\r\nEMAIL:first@x.example\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Second Card\r\nEMAIL:second@x.example\r\nEND:VCARD\r\n");
    auto& client = f.open();
    auto contacts = client.defaultFolder(outlook::olFolderContacts);
    auto added = client.addContact("Dee New", {"dee@new.example"});
    ASSERT_EQ(contacts->Items()->Count(), 3);
    contacts->Items()->Find(contactsFilter("first@x.example"))->Delete();
    added->Delete();

    auto& again = f.restart();
    auto left = again.defaultFolder(outlook::olFolderContacts)->Items();
    ASSERT_EQ(left->Count(), 1);
    EXPECT_TRUE(left->Find(contactsFilter("second@x.example")));
    EXPECT_FALSE(fs::exists(f.mail() / "contacts" / (added->EntryID() + ".vcf")));
}

TEST(MailStore, TheDemoProfileMailLoadsWithoutAWord) {
    MailStoreFixture f;
    fs::copy(sourceDir() + "/demo/profile/mail", f.mail(), fs::copy_options::recursive);
    auto& client = f.open();
    EXPECT_TRUE(f.log.empty()) << f.log.front();
    auto inbox = client.inbox()->Items();
    ASSERT_EQ(inbox->Count(), 4);
    for (int i = 1; i <= inbox->Count(); ++i) {
        auto item = std::static_pointer_cast<sim::SimItem>(inbox->Item(i));
        EXPECT_TRUE(item->hasTransportHeaders());
        EXPECT_TRUE(item->sender().has_value());
        EXPECT_FALSE(item->Body().empty());
    }
    auto contact = client.defaultFolder(outlook::olFolderContacts)->Items()->Find("[Email1Address] = 'SKIP@pobox.com'");
    ASSERT_TRUE(contact);
    EXPECT_EQ(contact->FullName(), "Skip Montanaro");
}

// How long opening takes is the benchmarks' business; this pins that a large folder opens whole.
TEST(MailStore, ThreeThousandMessagesOpenAndReopenWhole) {
    MailStoreFixture f;
    const std::string messages[] = {simDataFile("ham-to-and-cc.eml"), simDataFile("spam-alternative-qp.eml"),
                                    simDataFile("spam-koi8r.eml"), simDataFile("spam-big5-html.eml")};
    fs::create_directories(f.mail() / "cur");
    for (int i = 0; i < 3000; ++i)
        std::ofstream(f.mail() / "cur" / (std::to_string(100000 + i) + ".bulk:2,"), std::ios::binary) << messages[i % 4];
    EXPECT_EQ(f.open().inbox()->Items()->Count(), 3000);
    EXPECT_EQ(f.restart().inbox()->Items()->Count(), 3000);
}

}  // namespace
}  // namespace tw::test

namespace tw::test {
namespace {

TEST(MailStore, AddressBooksAreFoldersOfCardsWithDirectoryUsersAndDistributionLists) {
    MailStoreFixture f;
    f.putFile("addressbooks/Work/people.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Pat\r\nEMAIL:pat@p.example\r\nEMAIL:pat@home.example\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:J Smith\r\nEMAIL:j.smith@corp.example\r\n"
              "X-TARNWICK-EX:/o=Org/cn=jsmith\r\nEND:VCARD\r\n");
    f.putFile("addressbooks/Work/team.vcf", "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:group\r\nFN:Team\r\nEND:VCARD\r\n");
    f.putFile("addressbooks/Empty/notes.txt", "not a card");
    auto& client = f.open();
    auto lists = client.addressLists();
    ASSERT_EQ(lists.size(), 3u);
    EXPECT_EQ(lists[0].name, "Contacts");
    EXPECT_EQ(lists[1].name, "Empty");
    EXPECT_TRUE(lists[1].entries.empty());
    ASSERT_EQ(lists[2].entries.size(), 4u);
    EXPECT_EQ(lists[2].entries[1].address, "pat@home.example") << "each address of a card is an entry";
    EXPECT_EQ(lists[2].entries[2].type, "EX");
    EXPECT_EQ(lists[2].entries[2].address, "/o=Org/cn=jsmith");
    EXPECT_EQ(lists[2].entries[2].smtp, "j.smith@corp.example");
    EXPECT_EQ(lists[2].entries[3].type, "MAPIPDL");
    EXPECT_EQ(lists[2].entries[3].address, "");
    EXPECT_FALSE(fs::exists(f.mail() / ".addressbooks")) << "the books are no mail folder";
}

}  // namespace
}  // namespace tw::test
