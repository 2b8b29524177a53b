// Filling and reading the country tick lists.
#include "options/CountryLists.h"

#include "core/Text.h"

namespace tw::options {

void fillCountryList(platform::FormControls& controls, const std::string& list, const settings::Countries& table,
                     const KeyedSet& chosen) {
    controls.clearList(list);
    for (const auto& name : table.getAllNames())
        controls.addItem(list, name, false, chosen.Exists(text::lower(table.GetCodeFromName(name))));
}

KeyedSet chosenCountries(const platform::FormControls& controls, const std::string& list,
                         const settings::Countries& table) {
    KeyedSet codes;
    for (const auto& name : controls.checkedItems(list)) {
        const std::string code = text::lower(table.GetCodeFromName(name));
        if (!code.empty()) codes.insert(code);
    }
    return codes;
}

void tickAllCountries(platform::FormControls& controls, const std::string& list, bool ticked) {
    auto& state = controls[list];
    state.checked.assign(state.items.size(), ticked);
}

}  // namespace tw::options
