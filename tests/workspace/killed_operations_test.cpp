// The command line killed (SIGKILL) at random moments of an import, a rebuild, a compaction and a
// search's background write: the database then opens, passes the integrity check and holds the
// history either as it was before the operation or as the operation leaves it, never a mix and
// never less. Longer randomized runs: bench/kill_runs.sh sets K11_KILL_ROUNDS and K11_KILL_SEED.

#include "workspace/workspace_fixture.h"

#include "history/history_table.h"
#include "platform/database.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <thread>

using testing_support::WorkspaceFixture;

namespace {

// A stored draw as the history holds it: period and every derived value.
struct Stored {
    std::int32_t period;
    history::DrawValues values;
    bool operator==(const Stored&) const = default;
};
using History = std::vector<Stored>;

int fromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text ? std::atoi(text) : fallback;
}

// count lines of the import format from period 17010101 on, with numbers that vary by line.
std::string drawLines(int count, int salt) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += std::to_string(testing_support::syntheticPeriod(i));
        int used = 0;
        for (int k = 0, n = (i * 7 + salt) % 11; k < 5; n = (n + 3 + salt) % 11) {
            if (used & (1 << n)) {
                n = (n + 1) % 11;
                continue;
            }
            used |= 1 << n;
            text += (n + 1 < 10 ? " 0" : " ") + std::to_string(n + 1);
            ++k;
        }
        text += "\n";
    }
    return text;
}

class KilledOperations : public ::testing::Test {
  protected:
    KilledOperations() : random_(static_cast<unsigned>(fromEnvironment("K11_KILL_SEED", 13))) {
        // While the program runs, the test keeps no connection of its own.
        f.workspace.reset();
        std::ofstream(f.dir.file("a.txt")) << drawLines(6000, 1);
        std::ofstream(f.dir.file("b.txt")) << drawLines(9000, 4);
    }

    static int rounds() { return fromEnvironment("K11_KILL_ROUNDS", 5); }

    QStringList arguments(const std::vector<std::string>& args) const {
        QStringList list = {"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                            QString::fromStdString(f.settingsPath())};
        for (const auto& a : args) list << QString::fromStdString(a);
        return list;
    }

    // Runs the program to its end; how long it took.
    std::chrono::microseconds run(const std::vector<std::string>& args) {
        QProcess program;
        const auto start = std::chrono::steady_clock::now();
        program.start(QString::fromUtf8(K11_EXECUTABLE), arguments(args));
        EXPECT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        return std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
    }

    // Starts the program and kills it after a random part of `took` (a little beyond it, too).
    void runAndKill(const std::vector<std::string>& args, std::chrono::microseconds took) {
        std::uniform_int_distribution<long> at(0, took.count() * 11 / 10);
        QProcess program;
        program.start(QString::fromUtf8(K11_EXECUTABLE), arguments(args));
        ASSERT_TRUE(program.waitForStarted(5000));
        std::this_thread::sleep_for(std::chrono::microseconds(at(random_)));
        if (program.state() != QProcess::NotRunning) {
            program.kill(); // SIGKILL
            ++killed_;
        }
        program.waitForFinished(5000);
    }

    // The history as the database opens now, after it passed the integrity check.
    History stored() {
        platform::Database db(f.dataDir() + "/kelvora11S5.db");
        EXPECT_EQ(db.integrityCheck(), "ok");
        History out;
        for (const auto& row : history::loadHistory(db, true))
            out.push_back({row.period, row.values});
        return out;
    }

    WorkspaceFixture f;
    std::mt19937 random_;
    int killed_ = 0; // kills that found the program still running
};

} // namespace

TEST_F(KilledOperations, AnImportKilledLeavesTheOldOrTheNewHistory) {
    run({"import", f.dir.file("a.txt")});
    const History a = stored();
    const auto took = run({"import", f.dir.file("b.txt")});
    const History b = stored();
    ASSERT_EQ(b.size(), 9000u);
    bool holdsA = false;
    for (int round = 0; round < rounds(); ++round) {
        runAndKill({"import", f.dir.file(holdsA ? "b.txt" : "a.txt")}, took);
        const History now = stored();
        ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " draws";
        holdsA = now == a;
    }
    EXPECT_GT(killed_, 0);
    // The program goes on from whatever a kill left.
    run({"import", f.dir.file("a.txt")});
    EXPECT_EQ(stored(), a);
}

TEST_F(KilledOperations, ARebuildKilledLeavesTheValuesOfTheOldOrTheNewSettings) {
    run({"import", f.dir.file("a.txt")});
    // The zodiac numbering changes what the rebuild derives.
    run({"set", "SxIni", "1"});
    const auto took = run({"rebuild"});
    const History one = stored();
    run({"set", "SxIni", "0"});
    run({"rebuild"});
    const History zero = stored();
    ASSERT_NE(one, zero);
    int base = 0;
    for (int round = 0; round < rounds(); ++round) {
        run({"set", "SxIni", base ? "0" : "1"});
        runAndKill({"rebuild"}, took);
        const History now = stored();
        ASSERT_TRUE(now == zero || now == one) << "round " << round;
        base = now == one ? 1 : 0;
    }
    EXPECT_GT(killed_, 0);
}

TEST_F(KilledOperations, ACompactionKilledLosesNoDraw) {
    run({"import", f.dir.file("b.txt")});
    History before = stored();
    // Deleting the newest draw ends with compacting the file.
    const auto took = run({"delete-newest"});
    before.pop_back();
    ASSERT_EQ(stored(), before);
    for (int round = 0; round < rounds(); ++round) {
        runAndKill({"delete-newest"}, took);
        const History now = stored();
        History after = before;
        after.pop_back();
        ASSERT_TRUE(now == before || now == after) << "round " << round;
        before = now;
    }
    EXPECT_GT(killed_, 0);
}

TEST_F(KilledOperations, ASearchKilledWhileWritingLosesNoDraw) {
    run({"import", f.dir.file("b.txt")});
    const History draws = stored();
    const std::vector<std::vector<std::string>> searches = {
        {"search", "--free", "--back", "2", "--positions", "1,2,3"},
        {"combo", "--fixed", "--last", "--size", "3"},
        {"search", "--fixed", "--back", "3", "--positions", "2,4"},
        {"combo", "--free", "--back", "2", "--size", "2"}};
    auto took = run(searches[0]);
    for (int round = 0; round < rounds() * 2; ++round) {
        auto args = searches[static_cast<size_t>(round) % searches.size()];
        args.insert(args.end(), {"--targets", std::to_string(round % 11 + 1) + ",3,5,7,9"});
        runAndKill(args, took);
        ASSERT_EQ(stored(), draws) << "round " << round;
    }
    EXPECT_GT(killed_, 0);
    // A search after the kills runs to its end.
    run(searches[1]);
    EXPECT_EQ(stored(), draws);
}
