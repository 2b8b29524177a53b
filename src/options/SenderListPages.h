// The options dialog's pages of the sender lists: what each shows, and Add, Edit and Delete
// through the entry dialogs and the Senders store, which store each change at once.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "options/OptionsHost.h"

namespace tw::options {

enum class SenderPage { none, approved, blocked, ignored, myAddresses, mailingLists };

/// The page a tree node shows; none for the other nodes.
SenderPage senderPageFor(const std::string& nodeKey);

std::vector<std::string> senderPageEntries(senders::Senders& lists, SenderPage page);

/// Opens the page's entry dialog: in add mode, or in edit mode with `edited` (empty when nothing
/// was selected). `refresh` runs after a change.
void openSenderEntry(OptionsHost& host, SenderPage page, bool edit, const std::string& edited,
                     const std::function<void()>& refresh);

void deleteSenderEntries(senders::Senders& lists, SenderPage page, const std::vector<std::string>& entries);

}  // namespace tw::options
