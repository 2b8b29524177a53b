// Runs spamassassin through spamassassin-score.sh and reads each message's points.
#include "SpamAssassinRunner.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarn::bench {

namespace fs = std::filesystem;

bool spamAssassinAvailable() { return std::system("command -v spamassassin >/dev/null 2>&1") == 0; }

double spamAssassinScaled(double points) { return 100.0 / (1.0 + std::exp(-(points - 5.0) / 2.0) / 9.0); }

double spamAssassinPoints(double scaled) { return 5.0 - 2.0 * std::log((100.0 / scaled - 1.0) * 9.0); }

ComparatorResult runSpamAssassin(const CorpusSplit& split, const std::string& workFolder, int limit) {
    ComparatorResult result;
    std::error_code ec;
    fs::create_directories(workFolder, ec);
    const std::string listPath = workFolder + "/test.list", outPath = workFolder + "/test.out";
    const size_t count = split.test.size();
    const size_t step = limit > 0 && static_cast<size_t>(limit) < count ? count / static_cast<size_t>(limit) : 1;
    {
        std::ofstream list(listPath);
        for (size_t i = 0; i < count; i += step) list << i << '\t' << split.test[i].path << '\n';
    }
    const std::string command = "bash '" TW_BENCH_SOURCE_DIR "/spamassassin-score.sh' < '" + listPath + "' > '" + outPath + "'";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    result.scoreSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status == -1) {
        result.problem = "spamassassin could not be started";
        return result;
    }
    result.scores.assign(count, -1);
    std::ifstream in(outPath);
    std::string line;
    size_t scored = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        size_t index;
        double points;
        if (fields >> index >> points && index < count) {
            result.scores[index] = spamAssassinScaled(points);
            ++scored;
        }
    }
    if (scored == 0) {
        result.problem = "spamassassin gave no scores";
        return result;
    }
    result.ran = true;
    return result;
}

}  // namespace tarn::bench
