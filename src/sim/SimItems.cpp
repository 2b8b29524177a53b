// A folder's item collection: indexing in Sort order, Find/FindNext, Restrict and plain walks.
#include <algorithm>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/SimOutlook.h"

namespace tw::sim {

namespace {

std::string bareProperty(const std::string& property) {
    std::string p = text::trim(property);
    if (p.size() >= 2 && p.front() == '[' && p.back() == ']') p = text::trim(p.substr(1, p.size() - 2));
    return p;
}

/// -1, 0 or 1; an empty value sorts before any other.
int compareValues(const outlook::PropertyValue& a, const outlook::PropertyValue& b) {
    if (a.index() != b.index()) return a.index() < b.index() ? -1 : 1;
    if (auto s = std::get_if<std::string>(&a)) {
        std::string x = text::lower(*s), y = text::lower(std::get<std::string>(b));
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (auto d = std::get_if<double>(&a)) return *d < std::get<double>(b) ? -1 : (std::get<double>(b) < *d ? 1 : 0);
    if (auto f = std::get_if<bool>(&a)) return *f == std::get<bool>(b) ? 0 : (*f ? 1 : -1);
    if (auto t = std::get_if<OleDate>(&a)) return *t < std::get<OleDate>(b) ? -1 : (std::get<OleDate>(b) < *t ? 1 : 0);
    return 0;
}

}  // namespace

void SimItems::add(const std::shared_ptr<SimItem>& item) {
    items_.push_back(item);
    sortedValid_ = false;
}

bool SimItems::remove(const SimItem& item) {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& p) { return p.get() == &item; });
    if (it == items_.end()) return false;
    items_.erase(it);
    sortedValid_ = false;
    return true;
}

const std::vector<std::shared_ptr<SimItem>>& SimItems::all() {
    if (sortProperty_.empty()) return items_;
    if (!sortedValid_) {
        sorted_ = items_;
        std::stable_sort(sorted_.begin(), sorted_.end(), [&](const auto& a, const auto& b) {
            int c = compareValues(a->filterValue(sortProperty_), b->filterValue(sortProperty_));
            return sortDescending_ ? c > 0 : c < 0;
        });
        sortedValid_ = true;
    }
    return sorted_;
}

std::shared_ptr<outlook::Item> SimItems::Item(int index) {
    const auto& list = all();
    if (index < 1 || index > static_cast<int>(list.size()))
        throw Error(-2147352567, "Microsoft Outlook", "Array index out of bounds.");
    return list[static_cast<size_t>(index - 1)];
}

void SimItems::Sort(const std::string& property, bool descending) {
    std::string name = bareProperty(property);
    if (name.empty()) throw Error(-2147352567, "Microsoft Outlook", "The property to sort by is missing.");
    sortProperty_ = name;
    sortDescending_ = descending;
    sortedValid_ = false;
}

std::shared_ptr<SimItem> SimItems::advance(Cursor& cursor, const FilterExpression* filter) {
    const auto& list = all();
    size_t start = cursor.next;
    if (auto last = cursor.last.lock()) {
        auto it = std::find(list.begin(), list.end(), last);
        if (it != list.end()) start = static_cast<size_t>(it - list.begin()) + 1;
    }
    for (size_t i = start; i < list.size(); ++i) {
        auto item = list[i];
        if (filter && !filter->matches([&](const std::string& name) { return item->filterValue(name); })) continue;
        cursor.last = item;
        // When this item leaves the collection, the one after it takes its place.
        cursor.next = i;
        return item;
    }
    cursor.last.reset();
    cursor.next = list.size();
    return nullptr;
}

void SimItems::addFolderField(const std::string& name) {
    if (!knowsFolderField(name)) folderFields_->push_back(name);
}

bool SimItems::knowsFolderField(const std::string& name) const {
    return std::any_of(folderFields_->begin(), folderFields_->end(), [&](const auto& f) { return text::iequals(f, name); });
}

FilterExpression::Options SimItems::filterOptions() const {
    FilterExpression::Options options;
    if (dateFormats_) options.locale = dateFormats_();
    options.knowsUserField = [this](const std::string& name) { return knowsFolderField(name); };
    return options;
}

std::shared_ptr<outlook::Item> SimItems::Find(const std::string& filter) {
    if (faultCheck_) faultCheck_(filter);
    auto parsed = std::make_unique<FilterExpression>(filter, filterOptions());
    findFilter_ = std::move(parsed);
    findCursor_ = Cursor{};
    return advance(findCursor_, findFilter_.get());
}

std::shared_ptr<outlook::Item> SimItems::FindNext() {
    if (!findFilter_) throw Error(-2147352567, "Microsoft Outlook", "FindNext needs a Find before it.");
    return advance(findCursor_, findFilter_.get());
}

std::shared_ptr<outlook::Items> SimItems::Restrict(const std::string& filter) {
    if (faultCheck_) faultCheck_(filter);
    FilterExpression parsed(filter, filterOptions());
    auto view = std::make_shared<SimItems>();
    view->dateFormats_ = dateFormats_;
    view->folderFields_ = folderFields_;
    for (const auto& item : all())
        if (parsed.matches([&](const std::string& name) { return item->filterValue(name); })) view->add(item);
    return view;
}

std::shared_ptr<outlook::Item> SimItems::GetFirst() {
    walkCursor_ = Cursor{};
    return advance(walkCursor_, nullptr);
}

std::shared_ptr<outlook::Item> SimItems::GetNext() { return advance(walkCursor_, nullptr); }

}  // namespace tw::sim
