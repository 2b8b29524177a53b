// The "Why?" window over two messages of the sheet's Inbox: one the lists decide, one the score does.
#include "commandbars/WhyCommand.h"
#include "sheet/Scenes.h"
#include "sheet/SheetWorld.h"

namespace tw::sheet {
namespace {

/// The message with that subject in the Inbox or, once the filter moved it, in the junk folder.
std::shared_ptr<outlook::Item> messageWithSubject(addin::OrvennaOutAddIn& addin, const std::string& subject) {
    for (const std::string& path : {std::string(kInbox), addin.settings().junkfolder}) {
        auto folder = addin.folderAtPath(path, false);
        if (!folder) continue;
        auto items = folder->Items();
        for (int i = 1; i <= items->Count(); ++i)
            if (auto item = items->Item(i); item->Subject() == subject) return item;
    }
    return nullptr;
}

}  // namespace

void whyWindows(Camera& camera, addin::OrvennaOutAddIn& addin) {
    const struct {
        const char* subject;
        const char* stem;
        const char* label;
    } scenes[] = {
        {kListedSubject, "frmWhy-list", "frmWhy: a message from an approved sender"},
        {kScoredSubject, "frmWhy-score", "frmWhy: a message the engine scored, with its clues"},
    };
    for (const auto& scene : scenes) {
        auto item = messageWithSubject(addin, scene.subject);
        if (!item) {
            camera.album().problem(std::string(scene.label) + ": the message is in neither the Inbox nor the junk folder");
            continue;
        }
        camera.script("frmWhy", {photo(scene.stem, scene.label), closeIt()});
        commandbars::showWhyWindow(addin, item, [] {}, [] {});
    }
}

}  // namespace tw::sheet
