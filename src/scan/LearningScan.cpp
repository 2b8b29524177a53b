// Learning the user's correspondents from Sent Items and read mail, once per profile.
#include "scan/LearningScan.h"

#include "classify/AddinParts.h"
#include "classify/IncomingFilter.h"
#include "classify/MessageContent.h"
#include "classify/Training.h"
#include "core/KeyedSet.h"
#include "core/Text.h"
#include "scan/MsgQueue.h"
#include "scan/ScanHost.h"
#include "senders/Senders.h"

namespace tw::scan {

void ScanMessages(ScanHost& addin, const std::shared_ptr<outlook::Items>& items, bool sent) {
    try {
        if (!items) return;
        const int32_t count = items->Count();
        if (count == 0) return;
        auto& clock = addin.platform().clock;
        const OleDate start = clock.now();
        KeyedSet addresses;
        classify::MessageContent& content = classify::messageContentOf(addin);
        int32_t examined = 0;
        for (int32_t i = 1; i <= count; ++i) {
            auto item = items->Item(i);
            if (item && item->Class() == outlook::olMail) {
                ++examined;
                if (sent) {
                    KeyedSet recipients;
                    content.GetRecipientAddresses(item, recipients);
                    // A report sent to the network service carries spam: neither its text nor its mailbox is the user's.
                    if (!classify::IncomingFilter(addin).isReportMail(recipients)) {
                        for (const std::string& address : recipients) addresses.insert(address);
                        classify::Training(addin).trainOnMessage(item, classify::kSentMailWeight);
                    }
                } else {
                    std::string address, name;
                    content.senderaddress(item, address, name);
                    address = text::lower(address);
                    if (!address.empty()) addresses.insert(address);
                }
            }
            if (secondsBetween(start, clock.now()) >= kLearningScanSeconds) break;
        }
        addin.log().LogErrorMessage("ScanMessages learnt " + std::to_string(addresses.Count()) + " addresses from " +
                                    std::to_string(examined) + " of " + std::to_string(count) + " items");
        if (addresses.Count() != 0) classify::sendersOf(addin).AddPreviousTo(addresses);
    } catch (...) {
        addin.log().logError("ScanMessagesError");
    }
}

// "migrated" = 2 has meant "the start-up learning is done" from the start, and keeps that meaning.
// Builds until now stored it without running the learning: the Sent Items half was missing and the
// pass over the Inbox returned at once. So 2 alone cannot tell a profile that learnt from one that
// did not; the second value "learningscan" records that the scan really ran. A profile with 2 but
// without it gets the scan once. A profile of an older build that really learnt repeats it once:
// its correspondents are learnt again (nothing new for the lists) and at most 10 seconds of its mail
// train once more, which is the cheaper mistake than never learning at all.
bool learningScanDue(ScanHost& addin) {
    if (addin.settings().migrated != kMigrationDone) return true;
    return addin.settingsKey().getNumberFromRegistry(kLearningScanValue) != 1;
}

void learnCorrespondentsOnce(ScanHost& addin, MsgQueue& inboxQueue) {
    auto& log = addin.log();
    try {
        if (!learningScanDue(addin)) return;
        // Learning while the user has filtering off would teach the engine what the user chose not to use now.
        if (!classify::filteringEnabled(addin.settings()) || inboxQueue.Busy()) {
            log.LogErrorMessage("learning scan left for a later start");
            return;
        }
        auto ns = addin.nameSpace();
        if (!ns) return;
        auto sentItems = ns->GetDefaultFolder(outlook::olFolderSentMail)->Items();
        auto inboxItems = ns->GetDefaultFolder(outlook::olFolderInbox)->Items();
        log.LogErrorMessage("learning scan of Sent Items and read Inbox mail");
        ScanMessages(addin, sentItems, true);
        if (!inboxQueue.learnFromReadMail(inboxItems, kLearningScanSeconds)) return;
        auto key = addin.settingsKey();
        key.writeNumber(kMigratedValue, kMigrationDone);
        key.writeNumber(kLearningScanValue, 1);
        addin.settings().migrated = kMigrationDone;
    } catch (...) {
        // Start-up goes on: the toolbar and the queue matter more than learning, which a later start retries.
        log.logError("LearningScan");
    }
}

}  // namespace tw::scan
