// The workspace's history files: which file is a game's history, a folder that can only be
// read, and two files that could each be one game's history.

#include "history/game_record.h"
#include "workspace/history_file_names.h"
#include "workspace/workspace.h"

#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace app {

history::Game Workspace::mainFileGame() const {
    const auto main = std::filesystem::path(options_.dataDir) / (std::string(kHistoryStem) + ".db");
    std::error_code error;
    if (std::filesystem::is_regular_file(main, error)) {
        try {
            platform::Database db = openToRead(main.string());
            const auto record = history::readGameRecord(db);
            if (record.state == history::GameRecord::State::Recorded)
                return history::Game{record.code};
        } catch (const std::exception&) {
            // Opening it as the game's file says what is wrong with it.
        }
    }
    return historyGame(startGame_);
}

std::string Workspace::gameFileSuffix(history::Game code) const {
    const history::Game game = historyGame(code);
    const std::string own = "-" + std::to_string(static_cast<int>(game));
    if (game != mainFileGame()) return own;
    // A history kept beside a main file that has since gone stays the game's history.
    const auto dir = std::filesystem::path(options_.dataDir);
    std::error_code error;
    if (!std::filesystem::exists(dir / (std::string(kHistoryStem) + ".db"), error) &&
        std::filesystem::is_regular_file(dir / (kHistoryStem + own + ".db"), error))
        return own;
    return "";
}

std::string Workspace::historyFileName(history::Game game) const {
    return kHistoryStem + gameFileSuffix(game) + ".db";
}

bool Workspace::folderWritable() const {
    // The access the process has (a read-only disk included), without leaving anything behind.
    return ::faccessat(AT_FDCWD, options_.dataDir.c_str(), W_OK, AT_EACCESS) == 0;
}

platform::Database Workspace::openToRead(const std::string& path) const {
    return platform::Database(path, folderWritable() ? platform::Access::ReadWrite
                                                     : platform::Access::ReadOnly);
}

std::string Workspace::readOnlyProblem() const {
    return "数据文件夹“" + options_.dataDir +
           "”是只读的（不能写入），历史号码只能查看和检索，不能修改，历史号码没有改变。要修改"
           "历史号码，请让这个文件夹可以写入，或者把整个文件夹复制到可以写入的地方，再用 "
           "--data-dir 指定复制的文件夹启动程序。";
}

namespace {

// What a history file holds, in words: the game it records and its draws.
std::string fileContents(platform::Database& db) {
    std::string text;
    const auto record = history::readGameRecord(db);
    if (record.state == history::GameRecord::State::Recorded)
        text = "记录的是" + history::gameName(history::Game{record.code});
    else if (record.state == history::GameRecord::State::Unrecorded)
        text = "没有记录彩种";
    else
        text = "是另一个程序的文件";
    auto stmt = db.prepare("SELECT count(*), min(SQQH), max(SQQH) FROM Lishi");
    if (stmt.step()) {
        const auto draws = stmt.int64At(0);
        text += "，" + std::to_string(draws) + "期";
        if (draws > 0)
            text +=
                "，" + history::tenDigit(stmt.intAt(1)) + "至" + history::tenDigit(stmt.intAt(2));
    }
    return text;
}

} // namespace

std::optional<std::string> Workspace::twoFilesProblem(history::Game code) const {
    namespace fs = std::filesystem;
    const history::Game game = historyGame(code);
    const fs::path dir = options_.dataDir;
    const std::string mainName = std::string(kHistoryStem) + ".db";
    const std::string ownName =
        kHistoryStem + ("-" + std::to_string(static_cast<int>(game))) + ".db";
    std::error_code error;
    if (!fs::is_regular_file(dir / mainName, error) || !fs::is_regular_file(dir / ownName, error))
        return std::nullopt;
    if (mainFileGame() != game) return std::nullopt;
    const auto describe = [&](const std::string& name) {
        try {
            platform::Database db = openToRead((dir / name).string());
            return name + "（" + fileContents(db) + "）";
        } catch (const std::exception& e) {
            return name + "（无法读取：" + e.what() + "）";
        }
    };
    const std::string name = history::gameName(game);
    return name + "有两个历史数据库文件：" + describe(mainName) + "和" + describe(ownName) +
           "。为了不让一个文件里的号码被另一个挡住而不知道，这两个文件都没有使用，也没有改动，" +
           name +
           "的历史号码现在不能查看和修改。请退出程序，只留下其中一个：把不要的那个文件（连同它"
           "旁边同名、以-wal和-shm结尾的文件）改名或移到别的文件夹，然后重新启动程序。";
}

} // namespace app
