// The sender list pages over the Senders store and the entry dialogs.
#include "options/SenderListPages.h"

#include "senders/frmEnterEmailDomain.h"
#include "senders/frmToMe.h"

namespace tw::options {

namespace {
// The kinds the entry dialogs know their lists by.
constexpr int kApprovedKind = 0, kBlockedKind = 1, kIgnoredKind = 4;
constexpr int kEditMine = 0, kAddMine = 1, kEditList = 3, kAddList = 4;
}  // namespace

SenderPage senderPageFor(const std::string& nodeKey) {
    if (nodeKey == "ApprovedSenders") return SenderPage::approved;
    if (nodeKey == "BlockedSenders") return SenderPage::blocked;
    if (nodeKey == "IgnoredSenders") return SenderPage::ignored;
    if (nodeKey == "NotSentToMe") return SenderPage::myAddresses;
    if (nodeKey == "MailingLists") return SenderPage::mailingLists;
    return SenderPage::none;
}

std::vector<std::string> senderPageEntries(senders::Senders& lists, SenderPage page) {
    switch (page) {
        case SenderPage::approved: return lists.getApprovedSenders();
        case SenderPage::blocked: return lists.getBlockedSenders();
        case SenderPage::ignored: return lists.getIgnoredSenders();
        case SenderPage::myAddresses: return lists.getToMe();
        case SenderPage::mailingLists: return lists.getMailingList();
        case SenderPage::none: break;
    }
    return {};
}

void openSenderEntry(OptionsHost& host, SenderPage page, bool edit, const std::string& edited,
                     const std::function<void()>& refresh) {
    auto* lists = host.senders();
    if (!lists || page == SenderPage::none) return;
    auto& ui = host.platform().ui;
    if (page == SenderPage::myAddresses || page == SenderPage::mailingLists) {
        senders::frmToMe dialog(*lists, ui, host.log());
        const bool mine = page == SenderPage::myAddresses;
        dialog.setKind(mine ? (edit ? kEditMine : kAddMine) : (edit ? kEditList : kAddList));
        if (edit) dialog.setEditedEntry(edited);
        dialog.onListsChanged(refresh);
        dialog.show();
        return;
    }
    senders::frmEnterEmailDomain dialog(*lists, ui, host.log());
    dialog.setKind(page == SenderPage::approved ? kApprovedKind
                                                : page == SenderPage::ignored ? kIgnoredKind : kBlockedKind);
    dialog.setMode(edit ? senders::entryEdit : senders::entryAdd);
    if (edit) dialog.setEditedEntry(edited);
    dialog.onListsChanged(refresh);
    dialog.show();
}

void deleteSenderEntries(senders::Senders& lists, SenderPage page, const std::vector<std::string>& entries) {
    switch (page) {
        case SenderPage::approved: lists.DeleteApprovedSenders(entries); break;
        case SenderPage::blocked: lists.DeleteBlockedSenders(entries); break;
        case SenderPage::ignored: lists.DeleteIgnoredSenders(entries); break;
        case SenderPage::myAddresses: lists.DeleteToMe(entries); break;
        case SenderPage::mailingLists: lists.DeleteMailingList(entries); break;
        case SenderPage::none: break;
    }
}

}  // namespace tw::options
