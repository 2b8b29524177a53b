// The options dialog's two country tick lists: every country by name, ticked when its code is listed.
#pragma once

#include <string>

#include "core/KeyedSet.h"
#include "platform/FormControls.h"
#include "settings/Countries.h"

namespace tw::options {

/// Fills the list with every country name, ticking those whose codes `chosen` holds.
void fillCountryList(platform::FormControls& controls, const std::string& list, const settings::Countries& table,
                     const KeyedSet& chosen);
/// The codes of the ticked names, in list order.
KeyedSet chosenCountries(const platform::FormControls& controls, const std::string& list,
                         const settings::Countries& table);
/// Ticks every entry, or none.
void tickAllCountries(platform::FormControls& controls, const std::string& list, bool ticked);

}  // namespace tw::options
