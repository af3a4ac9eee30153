#include "ServiceUnit.h"

#include <fstream>
#include <stdexcept>

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

} // namespace

ServiceUnit::ServiceUnit(const std::string& file, const std::string& home,
                         const std::map<std::string, std::string>& programs)
    : home_(home), programs_(programs) {
    std::ifstream unit(file);
    if (!unit) {
        throw std::runtime_error("cannot read " + file);
    }
    std::string line;
    while (std::getline(unit, line)) {
        if (line.starts_with("Environment=")) {
            const std::vector<std::string> words = Words(line.substr(12));
            for (const std::string& word : words) {
                const std::size_t equals = word.find('=');
                environment_[word.substr(0, equals)] = word.substr(equals + 1);
            }
        } else if (line.starts_with("ExecStartPre=")) {
            startPre_ = Words(line.substr(13));
        } else if (line.starts_with("ExecStart=")) {
            start_ = Words(line.substr(10));
        }
    }
}

std::vector<std::string> ServiceUnit::Words(const std::string& line) const {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (const char c : line) {
        if (c == '\'') {
            quoted = !quoted;
            inWord = true;
        } else if (c == ' ' && !quoted) {
            if (inWord) {
                words.push_back(word);
            }
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    for (std::string& each : words) {
        for (const auto& [unitPath, built] : programs_) {
            ReplaceAll(each, unitPath, built);
        }
        ReplaceAll(each, "%h", home_);
        ReplaceAll(each, "$$", "$");
    }
    return words;
}
