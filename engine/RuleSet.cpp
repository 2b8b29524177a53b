// Choosing, checking and reading the rule files.
#include "RuleSet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "FileIo.h"
#include "RuleFile.h"
#include "TextUtil.h"

namespace tarn::engine {

namespace {

struct ReadRuleFile {
    std::string bytes;  // owns what `opened.body` points into
    std::optional<OpenedRuleFile> opened;
    std::string fault;
};

ReadRuleFile readRuleFile(const std::string& path, std::string_view name) {
    ReadRuleFile file;
    auto bytes = readWholeFile(path);
    if (!bytes) {
        file.fault = "missing";
        return file;
    }
    file.bytes = std::move(*bytes);
    file.opened = openRuleFile(file.bytes, file.fault);
    if (file.opened && file.opened->header.name != name) file.opened.reset();
    if (!file.opened) file.fault = "damaged";
    return file;
}

}  // namespace

RuleTuning RuleTuning::parse(std::string_view body) {
    RuleTuning tuning;
    while (!body.empty()) {
        const size_t end = std::min(body.find('\n'), body.size());
        const std::string line(trim(body.substr(0, end)));
        body.remove_prefix(std::min(end + 1, body.size()));
        const size_t blank = line.find(' ');
        if (blank == std::string::npos) continue;
        const std::string name = line.substr(0, blank);
        char* stop = nullptr;
        const double value = std::strtod(line.c_str() + blank + 1, &stop);
        if (stop == line.c_str() + blank + 1 || !(value >= 0 && value <= 1e6)) continue;
        if (name == "strength") tuning.strength = value;
        else if (name == "low" && value < 0.5) tuning.low = value;
        else if (name == "high" && value > 0.5 && value <= 1) tuning.high = value;
        else if (name == "sharpen" && value > 0 && value <= 10) tuning.sharpen = value;
        else if (name == "fade") tuning.fade = value;
    }
    return tuning;
}

std::string RuleTuning::serialize() const {
    char text[128];
    std::snprintf(text, sizeof text, "strength %.4g\nlow %.4g\nhigh %.4g\nsharpen %.4g\nfade %.6g\n", strength, low,
                  high, sharpen, fade);
    return text;
}

double RuleTuning::use(double shipped) const {
    double p = std::clamp(shipped, 1e-6, 1 - 1e-6);
    if (sharpen != 1.0) p = 1.0 / (1.0 + std::pow((1 - p) / p, sharpen));
    return std::clamp(p, low, high);
}

void RuleSet::clear() {
    words_.clear();
    tuning_ = {};
    status_.clear();
}

void RuleSet::note(std::string_view name, std::string_view what, const std::string& path) {
    status_.append(name).append("\t").append(what).append("\t").append(path).append("\n");
}

void RuleSet::load(const std::string& installFolder, const std::string& updateFolder) {
    clear();
    for (const char* name : kFileNames) {
        const std::string file = std::string(name) + ".bin";
        // No folder is no file, never one of the working directory's.
        const std::string installed = installFolder.empty() ? std::string() : joinPath(installFolder, file);
        ReadRuleFile chosen = installed.empty() ? ReadRuleFile{{}, std::nullopt, "missing"} : readRuleFile(installed, name);
        std::string chosenPath = installed;
        if (!updateFolder.empty()) {
            const std::string updatePath = joinPath(updateFolder, file);
            if (fileExists(updatePath)) {
                ReadRuleFile update = readRuleFile(updatePath, name);
                if (!update.opened) note(name, update.fault, updatePath);
                else if (!chosen.opened || update.opened->header.stamp > chosen.opened->header.stamp) {
                    chosen = std::move(update);
                    chosenPath = updatePath;
                }
            }
        }
        if (!chosen.opened) {
            note(name, chosen.fault, chosenPath);
            continue;
        }
        // Opened again: a moved string need not keep its buffer, and the body points into it.
        std::string fault;
        const auto opened = openRuleFile(chosen.bytes, fault);
        const std::string_view body = opened->body;
        const bool read = std::string_view(name) == "tw5" ? (tuning_ = RuleTuning::parse(body), true) : words_.merge(body);
        note(name, read ? std::string_view(opened->header.stamp) : "damaged", chosenPath);
    }
}

}  // namespace tarn::engine
