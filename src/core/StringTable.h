// Every text of the user interface by number, from resources/strings.inc.
#pragma once

#include <string>

namespace tw {

/// The text with this number; an unknown number gives the empty text, as a missing resource does.
const std::string& loadString(int id);

}  // namespace tw
