// The Application adapter's calls that answer other adapters.
#include "win32/outlook/ComApplication.h"

#include "win32/outlook/ComFolder.h"
#include "win32/outlook/ComItem.h"
#include "win32/outlook/ComWindows.h"

namespace tw::win32::outlook {

std::shared_ptr<ol::NameSpace> ComApplication::GetNamespace(const std::string& type) {
    return wrapped<ComNameSpace>(d_.call("GetNamespace", type));
}
std::shared_ptr<ol::Explorers> ComApplication::Explorers() { return wrapped<ComExplorers>(d_.get("Explorers")); }
std::shared_ptr<ol::Inspectors> ComApplication::Inspectors() { return wrapped<ComInspectors>(d_.get("Inspectors")); }
std::shared_ptr<ol::Explorer> ComApplication::ActiveExplorer() { return wrapped<ComExplorer>(d_.call("ActiveExplorer")); }
std::shared_ptr<ol::Item> ComApplication::CreateItem(int itemType) { return wrapped<ComItem>(d_.call("CreateItem", itemType)); }

}  // namespace tw::win32::outlook
