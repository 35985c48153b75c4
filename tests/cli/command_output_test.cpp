// What a command prints must reach its destination, and a file it writes goes where it was told.
// Standard output on a full device, on a pipe whose reader has gone or closed fails the command
// with a message on stderr, never a success with nothing (or half) written; --out to a named pipe
// or a device writes into it and leaves it what it was, and a file of the user's beside the
// target is never taken for the program's own. The program runs as a process of its own, with its
// standard output on the real thing.

#include "cli/cli_run.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Finished {
    bool exited = false; // ended through exit, not killed by a signal
    int status = -1;
    std::string err;
};

// An open descriptor, closed when it goes.
struct Descriptor {
    explicit Descriptor(int value) : fd(value) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd;
};

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class CommandOutput : public ::testing::Test {
  protected:
    CommandOutput() {
        const char* first[] = {"08", "02", "03", "01", "04", "05", "06", "07"};
        run({"add", "--period", "2016090801", first[0], "09", "10", "11", "07"});
        for (int i = 1; i < 8; ++i) run({"add", first[i], "09", "10", "11", i == 7 ? "08" : "07"});
    }

    void run(const std::vector<std::string>& arguments) {
        const auto r = testing_support::runCli(data(), settings(), arguments);
        if (r.status != 0) throw std::runtime_error(r.err);
    }

    std::string data() const { return dir.file("data"); }
    std::string settings() const { return dir.file("s.ini"); }

    // Runs the program with its standard output on out (closed when out is -1) and keeps what
    // it says on stderr.
    Finished program(const std::vector<std::string>& command, int out) {
        int errPipe[2];
        if (::pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
        Descriptor errRead(errPipe[0]);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (out >= 0)
            posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
        else
            posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
        std::vector<std::string> words = {K11_EXECUTABLE, "--data-dir", data(), "--settings",
                                          settings()};
        words.insert(words.end(), command.begin(), command.end());
        std::vector<char*> argv;
        for (auto& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        pid_t child = 0;
        const int started =
            ::posix_spawn(&child, K11_EXECUTABLE, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(errPipe[1]);
        if (started != 0) throw std::runtime_error("the program did not start");
        Finished finished;
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(errRead.fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            finished.err.append(buffer, static_cast<size_t>(got));
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        finished.exited = WIFEXITED(status);
        finished.status = finished.exited ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return finished;
    }

    Finished toFile(const std::vector<std::string>& command, const std::string& path,
                    int flags = O_WRONLY | O_CREAT | O_TRUNC) {
        Descriptor out(::open(path.c_str(), flags | O_CLOEXEC, 0644));
        if (out.fd < 0) throw std::runtime_error("cannot open " + path);
        return program(command, out.fd);
    }

    testing_support::TempDir dir;
};

const std::vector<std::vector<std::string>> kPrintingCommands = {
    {"history"},
    {"plan", "--play", "q1", "--pick", "01", "--chase", "3", "--multiplier", "profit:30", "--table",
     "--json"},
    {"export-text"},
    {"shrink", "--play", "r5", "--dan", "01,02,03,04", "--tickets"},
    {"games", "--json"},
    {"--help"},
};

TEST_F(CommandOutput, OutputThatDoesNotReachItsDestinationFailsTheCommandAndSaysWhy) {
    for (const auto& command : kPrintingCommands) {
        SCOPED_TRACE(command.front());
        // Where it can be written, all of it is.
        const std::string file = dir.file("out.txt");
        const Finished written = toFile(command, file);
        EXPECT_EQ(written.status, 0) << written.err;
        EXPECT_FALSE(fileText(file).empty());

        // A full disk.
        const Finished full = toFile(command, "/dev/full", O_WRONLY);
        EXPECT_TRUE(full.exited);
        EXPECT_EQ(full.status, 1) << full.err;
        EXPECT_NE(full.err.find("命令的输出没有全部写出"), std::string::npos) << full.err;
        EXPECT_NE(full.err.find("磁盘空间不足"), std::string::npos) << full.err;

        // A pipe whose reader has gone: told and ended with status 1, not killed by the signal.
        int pipeEnds[2];
        ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
        ::close(pipeEnds[0]);
        Descriptor writeEnd(pipeEnds[1]);
        const Finished broken = program(command, writeEnd.fd);
        EXPECT_TRUE(broken.exited) << "ended by a signal: " << broken.status - 128;
        EXPECT_EQ(broken.status, 1) << broken.err;
        EXPECT_NE(broken.err.find("管道已断开"), std::string::npos) << broken.err;
    }

    // Standard output closed before the start: what would be printed is not lost silently.
    const Finished closed = program({"history"}, -1);
    EXPECT_EQ(closed.status, 1) << closed.err;
    EXPECT_NE(closed.err.find("已经关闭"), std::string::npos) << closed.err;
    // Nothing to print, nothing missed.
    const Finished quiet = program({"set", "AutoSearch", "True"}, -1);
    EXPECT_EQ(quiet.status, 0) << quiet.err;
}

TEST_F(CommandOutput, OutToANamedPipeWritesIntoItAndAFileOfTheUsersBesideTheTargetStays) {
    Descriptor devNull(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    const std::vector<std::string> shrink = {"shrink", "--play", "r5", "--dan", "01,02,03,04"};
    const auto withOut = [&](const std::string& path) {
        auto command = shrink;
        command.insert(command.end(), {"--out", path});
        return command;
    };

    // A plain file beside which the user keeps a file named as a temporary one might be.
    const std::string bet = dir.file("bet.txt");
    std::ofstream(bet + ".new") << "mine";
    ASSERT_EQ(program(withOut(bet), devNull.fd).status, 0);
    const std::string tickets = fileText(bet);
    EXPECT_NE(tickets.find("01 02 03 04 "), std::string::npos) << tickets;
    EXPECT_EQ(fileText(bet + ".new"), "mine");
    EXPECT_FALSE(fs::exists(bet + platform::kPendingSuffix));

    // A named pipe gets the same bytes and stays a named pipe. The reader is there first.
    const std::string fifo = dir.file("tickets.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    {
        Descriptor reader(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        ASSERT_GE(reader.fd, 0);
        const Finished piped = program(withOut(fifo), devNull.fd);
        EXPECT_EQ(piped.status, 0) << piped.err;
        std::string read;
        char buffer[4096];
        for (ssize_t got; (got = ::read(reader.fd, buffer, sizeof buffer)) > 0;)
            read.append(buffer, static_cast<size_t>(got));
        EXPECT_EQ(read, tickets);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_FALSE(fs::exists(fifo + platform::kPendingSuffix));
    // With nobody reading it the pipe is refused, not waited on for ever.
    const Finished unread = program(withOut(fifo), devNull.fd);
    EXPECT_EQ(unread.status, 1) << unread.err;
    EXPECT_NE(unread.err.find("没有程序在读取"), std::string::npos) << unread.err;
    EXPECT_TRUE(fs::is_fifo(fifo));

    // A workbook export into a named pipe in the data folder: the finished workbook's bytes.
    const std::string sheet = data() + "/lishi.xlsx";
    ASSERT_EQ(::mkfifo(sheet.c_str(), 0600), 0);
    {
        Descriptor reader(::open(sheet.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        ASSERT_GE(reader.fd, 0);
        const Finished exported = program({"export-sheet", "history"}, devNull.fd);
        EXPECT_EQ(exported.status, 0) << exported.err;
        char head[2] = {};
        EXPECT_EQ(::read(reader.fd, head, 2), 2);
        EXPECT_EQ(std::string(head, 2), "PK");
    }
    EXPECT_TRUE(fs::is_fifo(sheet));
}

TEST_F(CommandOutput, OutToADeviceWritesIntoItAndReportsItsFailure) {
    // Devices of the test's own, the same as /dev/full and /dev/null.
    const std::string full = dir.file("full"), null = dir.file("null");
    if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0 ||
        ::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "no device nodes can be made here";
    if (Descriptor probe(::open(null.c_str(), O_WRONLY | O_CLOEXEC)); probe.fd < 0)
        GTEST_SKIP() << "devices cannot be opened on this disk";
    Descriptor devNull(::open("/dev/null", O_WRONLY | O_CLOEXEC));

    const Finished failed =
        program({"shrink", "--play", "r5", "--dan", "01,02,03,04", "--out", full}, devNull.fd);
    EXPECT_EQ(failed.status, 1) << failed.err;
    EXPECT_NE(failed.err.find("磁盘空间不足"), std::string::npos) << failed.err;
    EXPECT_TRUE(fs::is_character_file(full));

    const Finished discarded =
        program({"shrink", "--play", "r5", "--dan", "01,02,03,04", "--out", null}, devNull.fd);
    EXPECT_EQ(discarded.status, 0) << discarded.err;
    EXPECT_TRUE(fs::is_character_file(null));
    EXPECT_FALSE(fs::exists(null + platform::kPendingSuffix));

    // The text export, its file a link to the full device: a failed export, and the link stays.
    const std::string exported = dir.file("exported.txt");
    ASSERT_EQ(toFile({"export-text"}, exported).status, 0);
    std::string path = fileText(exported);
    path.pop_back();
    fs::remove(path);
    fs::create_symlink(full, path);
    const Finished refused = toFile({"export-text"}, exported);
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_NE(refused.err.find("磁盘空间不足"), std::string::npos) << refused.err;
    EXPECT_TRUE(fileText(exported).empty());
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_TRUE(fs::is_character_file(full));
}

} // namespace
