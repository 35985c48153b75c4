#include "workspace/auto_update_log.h"

#include "platform/file_io.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace app {

AutoUpdateLog::AutoUpdateLog(std::string dataDir) : dataDir_(std::move(dataDir)) {
    std::ifstream file(path(), std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        lines_.push_back(line);
        ++linesInFile_;
        if (lines_.size() > kKept) lines_.pop_front();
    }
}

std::string AutoUpdateLog::path() const {
    return (std::filesystem::path(dataDir_) / kFileName).string();
}

void AutoUpdateLog::add(const std::string& timeText, const std::string& text) {
    // One line each: a message of several lines is joined.
    std::string line = timeText + " ";
    for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
    lines_.push_back(line);
    if (lines_.size() > kKept) lines_.pop_front();
    try {
        if (linesInFile_ >= 2 * kKept) {
            // The file is cut back to the lines kept, written whole.
            std::string all;
            for (const auto& kept : lines_) all += kept + "\r\n";
            platform::writeFileAtomically(path(), all);
            linesInFile_ = lines_.size();
        } else {
            std::ofstream file(path(), std::ios::binary | std::ios::app);
            file << line << "\r\n";
            if (!file) throw std::runtime_error("无法写入 " + path());
            ++linesInFile_;
        }
        problem_.clear();
    } catch (const std::exception& e) {
        problem_ = e.what();
    }
}

} // namespace app
