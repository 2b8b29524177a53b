// A folder named both for training and for testing is split, so no message is scored after being trained on.
#include "BenchCorpus.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tarn::bench {

namespace fs = std::filesystem;

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && entry.path().filename().string()[0] != '.') files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

namespace {

std::string canonical(const std::string& folder) {
    std::error_code ec;
    auto path = fs::weakly_canonical(folder, ec);
    return ec ? folder : path.string();
}

bool contains(const std::vector<std::string>& folders, const std::string& folder) {
    for (const auto& f : folders)
        if (canonical(f) == canonical(folder)) return true;
    return false;
}

void addFolders(const std::vector<std::string>& folders, const std::vector<std::string>& other, bool spam,
                bool forTest, int holdout, std::vector<CorpusFile>& out) {
    for (const auto& folder : folders) {
        bool shared = contains(other, folder);
        auto files = filesIn(folder);
        for (size_t i = 0; i < files.size(); ++i) {
            bool isTestFile = holdout > 0 && static_cast<int>(i % static_cast<size_t>(holdout)) == holdout - 1;
            if (!shared || isTestFile == forTest) out.push_back({files[i], spam});
        }
    }
}

}  // namespace

CorpusSplit splitCorpus(const FolderChoice& choice) {
    CorpusSplit split;
    addFolders(choice.trainHam, choice.testHam, false, false, choice.holdout, split.train);
    addFolders(choice.trainSpam, choice.testSpam, true, false, choice.holdout, split.train);
    addFolders(choice.testHam, choice.trainHam, false, true, choice.holdout, split.test);
    addFolders(choice.testSpam, choice.trainSpam, true, true, choice.holdout, split.test);
    return split;
}

void splitMessage(const std::string& raw, std::string& headers, std::string& body) {
    size_t pos = 0;
    while (pos < raw.size()) {
        size_t end = raw.find('\n', pos);
        if (end == std::string::npos) break;
        size_t lineLength = end - pos;
        if (lineLength == 0 || (lineLength == 1 && raw[pos] == '\r')) {
            headers.assign(raw, 0, pos);
            body.assign(raw, end + 1, std::string::npos);
            return;
        }
        pos = end + 1;
    }
    headers = raw;
    body.clear();
}

bool readFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
    return true;
}

}  // namespace tarn::bench
