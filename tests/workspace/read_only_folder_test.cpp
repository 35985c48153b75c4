// A history on a folder that cannot be written (a read-only disk, a folder of another user) is
// read as it is, through its log when one lies beside it, and nothing is written there; every
// command that would change it says that the folder is read-only. The program runs as a second
// process, as a user without write access (root writes everywhere).

#include "workspace/workspace_fixture.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::WorkspaceFixture;
namespace fs = std::filesystem;

namespace {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Every file of a folder with its size and a hash of its bytes.
std::map<std::string, std::pair<size_t, size_t>> contents(const std::string& folder) {
    std::map<std::string, std::pair<size_t, size_t>> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        files[entry.path().filename().string()] = {bytes.size(), std::hash<std::string>{}(bytes)};
    }
    return files;
}

// Runs a check in a child as "nobody" (when root): whether it can give up its rights and what
// the check then says.
bool asUnprivileged(bool (*check)()) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 &&
                        check()
                    ? 0
                    : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

bool always() {
    return true;
}
bool programReachable() {
    return ::access(K11_EXECUTABLE, X_OK) == 0;
}

class ReadOnlyFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!asUnprivileged(always)) GTEST_SKIP() << "cannot run the program as another user";
        // A build inside a folder only its owner may enter (a fresh clone under mktemp -d) is
        // out of that user's reach: it runs from a copy in the test's own folder then.
        if (!asUnprivileged(programReachable)) {
            program_ = f.dir.file("kelvora11s5");
            fs::copy_file(K11_EXECUTABLE, program_);
        }
    }
    ~ReadOnlyFolder() override {
        // Writable again, so that the temporary folder can be removed.
        for (const auto& folder : readOnly_) {
            std::error_code ignored;
            fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add, ignored);
        }
    }

    ReadOnlyFolder() {
        // The unprivileged user reads the test's files.
        fs::permissions(f.dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read |
                                          fs::perms::others_exec);
        std::ofstream(f.settingsPath()) << "[IniSetting]\nGsZl=22\n";
        std::ofstream(f.dir.file("draws.txt")) << "16090801 01 03 05 07 09\n";
        f.reopen();
        f.type("2016090801", {{"03", "01", "02", "04", "06"},
                              {"07", "01", "02", "04", "06"},
                              {"03", "01", "02", "04", "06"},
                              {"05", "01", "02", "04", "06"},
                              {"03", "01", "02", "04", "06"}});
    }

    // Copies the data folder's history as it is now (the log and its index with it, when
    // withLog) into a new folder, and makes that folder read-only.
    std::string readOnlyCopy(const std::string& name, bool withLog) {
        const std::string folder = f.dir.file(name);
        fs::create_directory(folder);
        for (const char* suffix : {"", "-wal", "-shm"}) {
            if (*suffix && !withLog) continue;
            fs::copy_file(f.dataDir() + "/kelvora11S5.db" + suffix,
                          folder + "/kelvora11S5.db" + suffix);
        }
        readOnly_.push_back(folder);
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
        return folder;
    }

    ProgramRun run(const std::string& folder, const QStringList& command) {
        QProcess program;
        program.setChildProcessModifier([] {
            if (::geteuid() != 0) return;
            // As "nobody": the folder's permissions hold for it.
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(126);
        });
        program.start(QString::fromStdString(program_),
                      QStringList{"--data-dir", QString::fromStdString(folder), "--settings",
                                  QString::fromStdString(f.settingsPath())} +
                          command);
        EXPECT_TRUE(program.waitForFinished(30000));
        ProgramRun result;
        result.status = program.exitCode();
        result.out = program.readAllStandardOutput().toStdString();
        result.err = program.readAllStandardError().toStdString();
        return result;
    }

    void expectReadableAndUnchangeable(const std::string& folder, const std::string& history) {
        const auto before = contents(folder);
        ProgramRun reading = run(folder, {"history"});
        EXPECT_EQ(reading.status, 0) << reading.err;
        EXPECT_EQ(reading.out, history);
        EXPECT_EQ(run(folder, {"games"}).status, 0);

        // The search's result is shown with success, as under another writer; its state is not
        // kept, and the reason is the folder.
        ProgramRun search =
            run(folder, {"search", "--fixed", "--positions", "1", "--targets", "3,1,2,4,6"});
        EXPECT_EQ(search.status, 0) << search.err;
        EXPECT_NE(search.out.find("2016090804"), std::string::npos) << search.out << search.err;
        EXPECT_NE(search.err.find("工作状态没有保存"), std::string::npos) << search.err;
        EXPECT_NE(search.err.find("是只读的"), std::string::npos) << search.err;
        EXPECT_EQ(search.err.find("磁盘空间"), std::string::npos) << search.err;

        const std::vector<QStringList> changes = {
            {"add", "01", "02", "03", "04", "05"},
            {"trim", "--last", "1"},
            {"delete-newest"},
            {"clear"},
            {"rebuild"},
            {"import", QString::fromStdString(f.dir.file("draws.txt"))},
            {"update", "--site", "http://127.0.0.1:9", "--today", "2016-09-08"},
            {"set", "GsZl", "23"}};
        for (const auto& change : changes) {
            ProgramRun refused = run(folder, change);
            EXPECT_EQ(refused.status, 1) << change.join(' ').toStdString();
            EXPECT_NE(refused.err.find("是只读的"), std::string::npos)
                << change.join(' ').toStdString() << ": " << refused.err;
        }
        EXPECT_EQ(run(folder, {"get", "GsZl"}).out, "22\n");
        EXPECT_EQ(run(folder, {"history"}).out, history);
        // Not a file more, none changed: no log, no lock, no record beside the history.
        EXPECT_EQ(contents(folder), before);
    }

    WorkspaceFixture f;
    std::vector<std::string> readOnly_;
    std::string program_ = K11_EXECUTABLE;
};

const std::string kFiveDraws = "2016090801 03 01 02 04 06 \n2016090802 07 01 02 04 06 \n"
                               "2016090803 03 01 02 04 06 \n2016090804 05 01 02 04 06 \n"
                               "2016090805 03 01 02 04 06 \n";

} // namespace

TEST_F(ReadOnlyFolder, TheHistoryFileAloneIsReadAndNothingChangesIt) {
    f.workspace.reset(); // the file whole by itself
    expectReadableAndUnchangeable(readOnlyCopy("alone", false), kFiveDraws);
}

TEST_F(ReadOnlyFolder, AHistoryWithItsLogBesideItIsReadThroughTheLog) {
    // Copied while the program runs: the newest draw is in the log only.
    f.type("", {{"11", "10", "09", "08", "07"}});
    const std::string folder = readOnlyCopy("withlog", true);
    f.workspace.reset();
    expectReadableAndUnchangeable(folder, kFiveDraws + "2016090806 11 10 09 08 07 \n");
}

TEST_F(ReadOnlyFolder, AGameWithoutAFileThereCannotBeChosenAndSaysWhy) {
    f.workspace.reset();
    const std::string folder = readOnlyCopy("other", false);
    ProgramRun other = run(folder, {"--game", "23", "history"});
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.err.find("是只读的"), std::string::npos) << other.err;
    EXPECT_EQ(other.err.find("改名"), std::string::npos) << other.err;
}
