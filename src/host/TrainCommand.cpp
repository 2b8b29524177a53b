// The host's training command: message files into the engine through the add-in's own binding.
#include "host/TrainCommand.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/Error.h"

namespace tw::host {

namespace {

namespace fs = std::filesystem;

// The weights of an explicit block and an explicit approval: the user vouches for each message.
constexpr int32_t kSpamWeight = 200;
constexpr int32_t kHamWeight = -200;
constexpr int kProgressEvery = 250;

void splitMessage(const std::string& raw, std::string& headers, std::string& body) {
    size_t crlf = raw.find("\r\n\r\n");
    size_t lf = raw.find("\n\n");
    size_t end = std::min(crlf, lf);
    if (end == std::string::npos) {
        headers = raw;
        body.clear();
        return;
    }
    headers = raw.substr(0, end);
    body = raw.substr(end + (end == crlf ? 4 : 2));
}

void reportStore(const TrainResult& result, std::ostream& progress) {
    progress << "The store holds " << result.spamInStore << " spam and " << result.hamInStore
             << " legitimate messages; ";
    if (result.minimumReached()) {
        progress << "the minimum training (" << result.minimumTraining << " of each) is reached\n";
        return;
    }
    progress << "the minimum training is not reached yet: it needs " << result.minimumTraining
             << " of each, so the engine does not use its store until then\n";
}

bool readFile(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    bytes = ss.str();
    return true;
}

}  // namespace

int engineStoreTotal(addin::OrvennaOutAddIn& addin, const char* name) {
    int32_t engine = addin.getEnginePointer();
    if (engine == 0) return 0;
    try {
        return std::max(0, std::atoi(addin.engine().TW_getOption(engine, name).c_str()));
    } catch (const Error&) {
        return 0;
    }
}

std::vector<fs::path> messageFiles(const fs::path& source) {
    std::error_code ec;
    if (fs::is_regular_file(source, ec)) return {source};
    if (!fs::is_directory(source, ec)) throw Error(76, "tarnwick train", "No such file or folder: " + source.string());
    std::vector<fs::path> files;
    std::vector<fs::path> folders{source};
    // A Maildir keeps its messages in cur/ and new/; tmp/ holds unfinished deliveries.
    if (fs::is_directory(source / "cur", ec) || fs::is_directory(source / "new", ec)) folders = {source / "cur", source / "new"};
    for (const auto& folder : folders) {
        if (!fs::is_directory(folder, ec)) continue;
        for (const auto& entry : fs::directory_iterator(folder, ec))
            if (entry.is_regular_file(ec) && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TrainResult trainEngine(HostSession& session, const TrainRequest& request, std::ostream& progress) {
    std::vector<std::pair<fs::path, bool>> work;
    for (const auto& source : request.spam)
        for (auto& file : messageFiles(source)) work.emplace_back(file, true);
    for (const auto& source : request.ham)
        for (auto& file : messageFiles(source)) work.emplace_back(file, false);

    TrainResult result;
    session.startAddin();
    auto* addin = session.addin();
    int32_t engine = addin ? addin->getEnginePointer() : 0;
    if (engine == 0) {
        session.stopAddin();
        throw Error(48, "tarnwick train", "The scoring engine could not be started; see the log in the profile.");
    }
    progress << "Training on " << work.size() << " messages\n";
    std::string raw, headers, body;
    for (size_t i = 0; i < work.size(); ++i) {
        const auto& [file, isSpam] = work[i];
        if (!readFile(file, raw)) {
            progress << "skipped (unreadable): " << file.string() << "\n";
            ++result.skipped;
            continue;
        }
        splitMessage(raw, headers, body);
        try {
            addin->engine().TW_addMessage(engine, headers, body, isSpam ? kSpamWeight : kHamWeight);
            ++(isSpam ? result.spamTrained : result.hamTrained);
        } catch (const Error& e) {
            progress << "skipped (" << e.description() << "): " << file.string() << "\n";
            ++result.skipped;
        }
        if ((i + 1) % kProgressEvery == 0 || i + 1 == work.size())
            progress << "  " << (i + 1) << " of " << work.size() << "\n" << std::flush;
    }
    result.spamInStore = engineStoreTotal(*addin, "wordtraining_totalspam");
    result.hamInStore = engineStoreTotal(*addin, "wordtraining_totalham");
    result.minimumTraining = addin->library().settings.min_training;
    session.stopAddin();
    progress << "Trained " << result.spamTrained << " spam and " << result.hamTrained << " legitimate messages";
    if (result.skipped) progress << ", skipped " << result.skipped;
    progress << "\n";
    reportStore(result, progress);
    return result;
}

}  // namespace tw::host
