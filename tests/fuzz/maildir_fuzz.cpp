// Fuzz target for the simulated store's files: any folder path maps to a directory name and back
// to itself, and any message kept in a folder is listed with its read state, reads back byte for
// byte, and its header part (what a folder listing reads) gives the same headers as the whole file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzChecks.h"
#include "core/Text.h"
#include "sim/MaildirStore.h"
#include "sim/MimeMessage.h"

namespace {

using tw::fuzz::require;
using tw::sim::MaildirStore;

void checkFolderNames(const std::string& text) {
    // One folder name a line, the path from the top of the store.
    const std::vector<std::string> path = tw::text::split(text, "\n");
    for (const auto& name : path)
        if (name.empty()) return;
    if (path.size() == 1 && path[0] == "Inbox") return;
    const std::string directory = MaildirStore::directoryName(path);
    require(!directory.empty() && directory.find('/') == std::string::npos, "a folder is one directory");
    require(MaildirStore::folderPath(directory) == path, "a folder's directory maps back to its path");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte: the read state, and whether the rest is a folder path or a message.
    const uint8_t control = data[0];
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (control & 2) {
        checkFolderNames(rest);
        return 0;
    }

    MaildirStore store(tw::fuzz::scratchFolder("maildir_fuzz"), [](const std::string&) {});
    const bool seen = control & 1;
    const auto added = store.addMessage("", rest, seen);
    const auto files = store.scanFolder("");
    require(files.size() == 1 && files[0].unique == added.unique, "the message is listed");
    require(files[0].seen() == seen, "the read state is kept");
    require(store.readMessage(files[0]) == rest, "the message reads back as written");

    const std::string head = store.readHeaderPart(files[0]);
    require(rest.compare(0, head.size(), head) == 0, "the header part is the start of the message");
    const auto fromHead = tw::sim::parseHeaders(head), fromWhole = tw::sim::parseHeaders(rest);
    require(fromHead.transportHeaders == fromWhole.transportHeaders, "the header part holds all the headers");
    require(fromHead.subject == fromWhole.subject, "the header part gives the subject");
    store.removeMessage(files[0]);
    return 0;
}
