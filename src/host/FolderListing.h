// Folders of the profile's mail store by name, the numbered listing of one, and messages chosen by number.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "sim/SimMailClient.h"

namespace tw::host {

/// Messages of one folder by their numbers in its listing: "FOLDER:N[,N...]".
struct MessageSelection {
    std::string folder;
    std::vector<int> numbers;
};

/// Reads "FOLDER:N[,N...]" (the last ":" separates, so a folder path may hold one); numbers count
/// from 1 and may repeat only once each. Raises tw::Error saying what is wrong.
MessageSelection parseSelection(const std::string& text);

/// A folder by its path ("\Personal Folders\Inbox") or by its name anywhere in the stores, without
/// regard to case; the first in folder order when several share the name. Raises tw::Error naming
/// the folders there are when none matches.
std::shared_ptr<sim::SimFolder> findFolder(sim::SimMailClient& client, const std::string& nameOrPath);

/// The folder's items in the order the listing numbers them.
std::vector<std::shared_ptr<sim::SimItem>> listedItems(sim::SimFolder& folder);

/// The messages a selection names, in its order; raises tw::Error for a number the folder has not.
std::vector<std::shared_ptr<sim::SimItem>> selectedItems(sim::SimMailClient& client, const MessageSelection& selection);

/// The sender as the listing shows it: the address, else the name.
std::string senderOf(sim::SimItem& item);

/// Lists the folder's messages, numbered, with read state, date, sender and subject.
void showFolder(sim::SimMailClient& client, const std::string& nameOrPath, std::ostream& out);

}  // namespace tw::host
