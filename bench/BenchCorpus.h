// The benchmark's message lists: folders from the command line, split into training and test sets.
#pragma once

#include <string>
#include <vector>

namespace tarn::bench {

struct CorpusFile {
    std::string path;
    bool spam;
};

struct CorpusSplit {
    std::vector<CorpusFile> train;
    std::vector<CorpusFile> test;
};

struct FolderChoice {
    std::vector<std::string> trainHam, trainSpam, testHam, testSpam;
    int holdout = 5;  ///< in a folder used for both, every holdout-th file (by sorted name) is a test file
};

/// Regular files of a folder, sorted by name.
std::vector<std::string> filesIn(const std::string& folder);
CorpusSplit splitCorpus(const FolderChoice& choice);

/// Splits raw mail at the first blank line into headers (with their line ends) and body.
void splitMessage(const std::string& raw, std::string& headers, std::string& body);
bool readFile(const std::string& path, std::string& content);

}  // namespace tarn::bench
