// Which of the options dialog's controls belong to which page: only the page shown and the
// controls every page shares are visible.
#pragma once

#include <string>
#include <vector>

namespace tw::options {

/// The tree, the page's title and description and the dialog's buttons.
const std::vector<std::string>& commonControls();

/// The controls of the page a node shows, beyond the common ones; empty for a page of text only.
const std::vector<std::string>& pageControls(const std::string& key);

/// True when the control shows on that node's page.
bool showsOnPage(const std::string& control, const std::string& key);

}  // namespace tw::options
