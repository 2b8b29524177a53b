// The simulated mail client's store layout and window controls.
#include "sim/SimMailClient.h"

#include <algorithm>
#include <cstdio>

namespace tw::sim {

SimMailClient::SimMailClient(platform::Clock& clock, std::string version, std::string storeName)
    : clock_(clock), version_(std::move(version)) {
    application_ = std::make_shared<SimApplication>(*this);
    nameSpace_ = std::make_shared<SimNameSpace>(*this);
    stores_ = std::make_shared<SimFolders>(*this, std::weak_ptr<SimFolder>());
    explorers_ = std::make_shared<SimExplorers>();
    inspectors_ = std::make_shared<SimInspectors>();
    comAddIns_ = std::make_shared<SimCOMAddIns>();

    std::string storeId = "0000000038A1BB1005E5101AA1BB08002B2A56C20000" + newEntryId();
    auto root = std::make_shared<SimFolder>(*this, storeName, newEntryId(), storeId, std::weak_ptr<SimFolder>());
    stores_->adopt(root);
    const std::pair<int, const char*> defaults[] = {
        {outlook::olFolderInbox, "Inbox"},         {outlook::olFolderSentMail, "Sent Items"},
        {outlook::olFolderDeletedItems, "Deleted Items"}, {outlook::olFolderOutbox, "Outbox"},
        {outlook::olFolderDrafts, "Drafts"},       {outlook::olFolderContacts, "Contacts"},
        {outlook::olFolderCalendar, "Calendar"},   {outlook::olFolderTasks, "Tasks"},
    };
    for (const auto& [which, name] : defaults) defaults_[which] = root->subfolder(name);
}

std::shared_ptr<SimFolder> SimMailClient::defaultFolder(int which) const {
    auto it = defaults_.find(which);
    return it == defaults_.end() ? nullptr : it->second;
}

std::string SimMailClient::newEntryId() {
    char buf[40];
    std::snprintf(buf, sizeof buf, "00000000A5F0%012llX", static_cast<unsigned long long>(nextId_++));
    return buf;
}

std::shared_ptr<SimExplorer> SimMailClient::openExplorer(std::shared_ptr<SimFolder> folder) {
    auto explorer = std::make_shared<SimExplorer>(folder ? folder : inbox());
    explorers_->open_.push_back(explorer);
    explorers_->newExplorer_.raise(explorer);
    return explorer;
}

void SimMailClient::closeExplorer(const std::shared_ptr<SimExplorer>& explorer) {
    auto& open = explorers_->open_;
    if (std::find(open.begin(), open.end(), explorer) == open.end()) return;
    explorer->Close().raise();
    open.erase(std::remove(open.begin(), open.end(), explorer), open.end());
}

std::shared_ptr<SimExplorer> SimMailClient::activeExplorer() const {
    return explorers_->open_.empty() ? nullptr : explorers_->open_.back();
}

std::shared_ptr<SimInspector> SimMailClient::openInspector(std::shared_ptr<outlook::Item> item) {
    auto inspector = std::make_shared<SimInspector>(std::move(item));
    inspectors_->open_.push_back(inspector);
    inspectors_->newInspector_.raise(inspector);
    return inspector;
}

void SimMailClient::closeInspector(const std::shared_ptr<SimInspector>& inspector) {
    auto& open = inspectors_->open_;
    if (std::find(open.begin(), open.end(), inspector) == open.end()) return;
    inspector->Close().raise();
    open.erase(std::remove(open.begin(), open.end(), inspector), open.end());
}

std::shared_ptr<SimItem> SimMailClient::createItem(int itemClass, std::string subject) {
    auto item = std::make_shared<SimItem>(itemClass, newEntryId(), clock_.now());
    item->setSubject(std::move(subject));
    return item;
}

std::shared_ptr<SimItem> SimMailClient::deliver(std::string subject) {
    auto item = createItem(outlook::olMail, std::move(subject));
    inbox()->addItem(item);
    return item;
}

}  // namespace tw::sim
