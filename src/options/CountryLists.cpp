// Filling and reading the country check lists.
#include "options/CountryLists.h"

#include <algorithm>

#include "core/Text.h"

namespace tw::options {

void fillCountryList(platform::FormControls& controls, const std::string& list, const settings::Countries& table,
                     const KeyedSet& chosen) {
    controls.clearList(list);
    for (const auto& name : table.getAllNames())
        controls.addItem(list, name, chosen.Exists(text::lower(table.GetCodeFromName(name))));
}

KeyedSet chosenCountries(const platform::FormControls& controls, const std::string& list,
                         const settings::Countries& table) {
    KeyedSet codes;
    for (const auto& name : controls.selectedItems(list)) {
        const std::string code = text::lower(table.GetCodeFromName(name));
        if (!code.empty()) codes.insert(code);
    }
    return codes;
}

void selectAllCountries(platform::FormControls& controls, const std::string& list, bool selected) {
    auto& state = controls[list];
    std::fill(state.selected.begin(), state.selected.end(), selected);
}

}  // namespace tw::options
