// Walks folder trees by path.
#include "addin/FolderPaths.h"

#include "core/Text.h"

namespace tw::addin {

std::string getFolderPath(outlook::Folder& folder) {
    std::string path;
    try {
        path = "\\" + folder.Name();
        auto current = folder.Parent();
        while (current) {
            path = "\\" + current->Name() + path;
            current = current->Parent();
        }
    } catch (...) {
        // The top folder's parent is not a folder: the walk ends there.
    }
    return path;
}

namespace {
std::shared_ptr<outlook::Folder> childNamed(outlook::Folders& folders, const std::string& name) {
    int count = folders.Count();
    for (int i = 1; i <= count; ++i) {
        auto f = folders.Item(i);
        if (text::iequals(f->Name(), name)) return f;
    }
    return nullptr;
}
}  // namespace

std::shared_ptr<outlook::Folder> findFolderByPath(outlook::Application& application, const std::string& path,
                                                  bool create) {
    try {
        std::string rest = path;
        std::shared_ptr<outlook::Folder> current;
        if (text::startsWith(rest, "\\")) {
            rest = rest.substr(1);
            auto segments = text::split(rest, "\\");
            current = childNamed(*application.GetNamespace("MAPI")->Folders(), segments[0]);
            if (!current) return nullptr;
            rest = segments.size() > 1 ? rest.substr(segments[0].size() + 1) : std::string();
        } else {
            auto explorer = application.ActiveExplorer();
            if (!explorer) return nullptr;
            current = explorer->CurrentFolder();
        }
        if (rest.empty()) return current;
        for (const auto& segment : text::split(rest, "\\")) {
            if (segment.empty()) continue;
            auto folders = current->Folders();
            auto next = childNamed(*folders, segment);
            if (!next) {
                if (!create) return nullptr;
                next = folders->Add(segment, outlook::olFolderMail);
            }
            current = next;
        }
        return current;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace tw::addin
