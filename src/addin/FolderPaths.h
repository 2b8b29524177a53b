// Full folder paths ("\Personal Folders\Inbox") and the folders they name.
#pragma once

#include <memory>
#include <string>

#include "platform/Outlook.h"

namespace tw::addin {

/// "\" + each folder name from the store's top folder down; errors during the walk end it.
std::string getFolderPath(outlook::Folder& folder);

/// The folder at a path: absolute ("\Store\A\B") from the name space's stores, otherwise relative
/// to the active explorer's folder. Missing levels are created as mail folders when asked;
/// otherwise, and on any error, the result is no folder.
std::shared_ptr<outlook::Folder> findFolderByPath(outlook::Application& application, const std::string& path,
                                                  bool create);

}  // namespace tw::addin
