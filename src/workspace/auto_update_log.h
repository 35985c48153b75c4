#pragma once
// The log of the automatic update: its tries, what they stored, why they failed. The window shows
// its last lines (自动更新记录); the same lines go to 自动更新.log in the data folder, which keeps
// about the last kKept of them across runs.

#include <cstddef>
#include <deque>
#include <string>

namespace app {

class AutoUpdateLog {
  public:
    static constexpr size_t kKept = 200;
    static constexpr const char* kFileName = "自动更新.log";

    // Reads the last lines of the folder's log.
    explicit AutoUpdateLog(std::string dataDir);

    // A line, with the Beijing time before it, in memory and in the file. A file that cannot be
    // written keeps the lines in memory only; problem() says why.
    void add(const std::string& timeText, const std::string& line);
    const std::deque<std::string>& lines() const { return lines_; }
    const std::string& problem() const { return problem_; }
    std::string path() const;

  private:
    std::string dataDir_;
    std::deque<std::string> lines_;
    size_t linesInFile_ = 0;
    std::string problem_;
};

} // namespace app
