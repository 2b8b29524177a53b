// Runs bogofilter through the shell with file lists on standard input, timing each bulk run.
#include "BogofilterRunner.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <sys/wait.h>

namespace tarn::bench {

namespace fs = std::filesystem;

namespace {

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

bool writeList(const std::string& path, const std::vector<CorpusFile>& files, int spam) {
    std::ofstream out(path);
    for (const auto& f : files)
        if (spam < 0 || f.spam == (spam == 1)) out << f.path << '\n';
    return static_cast<bool>(out);
}

double timed(const std::string& command, bool& ok) {
    auto start = std::chrono::steady_clock::now();
    int status = std::system(command.c_str());
    ok = status != -1 && WEXITSTATUS(status) != 3;  // 3 is bogofilter's error exit
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

bool bogofilterAvailable() { return std::system("command -v bogofilter >/dev/null 2>&1") == 0; }

ComparatorResult runBogofilter(const CorpusSplit& split, const std::string& workFolder) {
    ComparatorResult result;
    std::error_code ec;
    fs::create_directories(workFolder, ec);
    std::string db = workFolder + "/wordlist";
    fs::create_directories(db, ec);
    std::string hamList = workFolder + "/train-ham.list", spamList = workFolder + "/train-spam.list";
    std::string testList = workFolder + "/test.list", output = workFolder + "/test.out";
    writeList(hamList, split.train, 0);
    writeList(spamList, split.train, 1);
    writeList(testList, split.test, -1);

    bool ok = true, okSpam = true, okScore = true;
    result.trainSeconds = timed("bogofilter -d " + shellQuoted(db) + " -n -b < " + shellQuoted(hamList), ok);
    result.trainSeconds += timed("bogofilter -d " + shellQuoted(db) + " -s -b < " + shellQuoted(spamList), okSpam);
    result.scoreSeconds =
        timed("bogofilter -d " + shellQuoted(db) + " -T -b < " + shellQuoted(testList) + " > " + shellQuoted(output), okScore);
    if (!ok || !okSpam || !okScore) {
        result.problem = "bogofilter failed";
        return result;
    }
    // Each line: path, a class letter, the spamicity.
    std::map<std::string, double> byPath;
    std::ifstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        size_t last = line.rfind(' ');
        size_t second = last == std::string::npos ? last : line.rfind(' ', last - 1);
        if (second == std::string::npos) continue;
        byPath[line.substr(0, second)] = std::atof(line.c_str() + last + 1) * 100.0;
    }
    for (const auto& f : split.test) {
        auto it = byPath.find(f.path);
        if (it == byPath.end()) {
            result.problem = "bogofilter gave no score for " + f.path;
            return result;
        }
        result.scores.push_back(it->second);
    }
    for (const auto& entry : fs::directory_iterator(db, ec)) result.storeBytes += static_cast<long long>(entry.file_size(ec));
    result.ran = true;
    return result;
}

}  // namespace tarn::bench
