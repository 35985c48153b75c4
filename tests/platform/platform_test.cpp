#include "platform/database.h"
#include "platform/file_io.h"
#include "platform/lunar_calendar.h"
#include "platform/settings_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace platform;

TEST(LunarCalendar, KnownNewYearDates) {
    EXPECT_EQ(lunarNewYear(2016), (MonthDay{2, 8}));
    EXPECT_EQ(lunarNewYear(2026), (MonthDay{2, 17}));
    EXPECT_EQ(lunarNewYear(2009), (MonthDay{1, 26}));
    EXPECT_EQ(lunarNewYear(2020), (MonthDay{1, 25}));
    EXPECT_EQ(lunarNewYear(2033), (MonthDay{1, 31}));
}

TEST(Database, TransactionRollsBackUnlessCommitted) {
    testing_support::TempDir dir;
    Database db(dir.file("t.db"));
    db.exec("CREATE TABLE t (v INTEGER)");
    try {
        Transaction transaction(db);
        db.prepare("INSERT INTO t VALUES (1)").run();
        throw std::runtime_error("midway");
    } catch (const std::runtime_error&) {
    }
    {
        Transaction transaction(db);
        auto insert = db.prepare("INSERT INTO t VALUES (?1)");
        insert.bind(1, 7).run();
        insert.bind(1, std::string_view("x")).run();
        transaction.commit();
    }
    auto count = db.prepare("SELECT COUNT(*), MIN(v) FROM t");
    ASSERT_TRUE(count.step());
    EXPECT_EQ(count.intAt(0), 2);
    EXPECT_EQ(count.intAt(1), 7);
    EXPECT_THROW(db.exec("INSERT INTO missing VALUES (1)"), DbError);
    EXPECT_THROW(db.prepare("SELEC nonsense"), DbError);
}

TEST(Database, IntegrityCheckAndCompactedCopy) {
    testing_support::TempDir dir;
    Database db(dir.file("t.db"));
    db.exec("CREATE TABLE t (v TEXT)");
    db.exec("INSERT INTO t VALUES ('a'), ('b')");
    EXPECT_EQ(db.integrityCheck(), "ok");
    db.vacuumInto(dir.file("copy.db"));
    Database copy(dir.file("copy.db"));
    auto count = copy.prepare("SELECT COUNT(*) FROM t");
    ASSERT_TRUE(count.step());
    EXPECT_EQ(count.intAt(0), 2);
}

TEST(Database, OpeningAFolderFails) {
    testing_support::TempDir dir;
    std::filesystem::create_directory(dir.file("folder.db"));
    EXPECT_THROW(Database(dir.file("folder.db")).exec("CREATE TABLE t (v)"), DbError);
}

TEST(SettingsStore, ReadsAndWritesTextValuesBySection) {
    testing_support::TempDir dir;
    {
        auto store = SettingsStore::fromFile(dir.file("s.ini"));
        EXPECT_FALSE(store.read("IniSetting", "GsZl").has_value());
        store.write("IniSetting", "GsZl", "569");
        store.write("IniSetting", "bolSq", "False");
    }
    std::ifstream file(dir.file("s.ini"));
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(text.find("[IniSetting]"), std::string::npos);
    EXPECT_NE(text.find("GsZl=569"), std::string::npos);
    EXPECT_NE(text.find("bolSq=False"), std::string::npos);
    auto again = SettingsStore::fromFile(dir.file("s.ini"));
    EXPECT_EQ(again.read("IniSetting", "GsZl"), "569");
}

TEST(Database, AReplacedFileIsNeverReadThroughTheOldFilesLog) {
    testing_support::TempDir dir;
    const std::string live = dir.file("live.db");
    const auto values = [](Database& db) {
        std::string text;
        auto stmt = db.prepare("SELECT group_concat(v, ' ') FROM (SELECT v FROM t ORDER BY rowid)");
        if (stmt.step()) text = stmt.textAt(0);
        return text;
    };
    Database db(live);
    ASSERT_TRUE(db.useWriteAheadLog());
    db.exec("CREATE TABLE t (v TEXT)");
    db.exec("INSERT INTO t VALUES ('old')");
    // Another process's connection to the old file, with the old file's log open.
    Database other(live);
    EXPECT_EQ(values(other), "old");
    {
        Database next(dir.file("next.db"));
        next.exec("CREATE TABLE t (v TEXT)");
        next.exec("INSERT INTO t VALUES ('new')");
        ASSERT_TRUE(next.useWriteAheadLog());
    }

    db.replaceFile(dir.file("next.db"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("next.db")));
    EXPECT_EQ(values(db), "new");
    EXPECT_FALSE(other.stillAtPath());
    // A commit to the new file that is only in its log yet, then the old connection goes: its
    // leaving must not take the new file's log with it.
    db.exec("INSERT INTO t VALUES ('added')");
    other.close();
    Database reader(live);
    EXPECT_EQ(values(reader), "new added");
    EXPECT_EQ(reader.integrityCheck(), "ok");
    // Emptied into the file, the log leaves the file whole on its own.
    db.checkpoint();
    reader.close();
    db.close();
    std::filesystem::remove(live + "-wal");
    std::filesystem::remove(live + "-shm");
    Database alone(live);
    EXPECT_EQ(values(alone), "new added");
}

TEST(FileIo, AReplacementThroughALinkReplacesTheFileItLeadsToAndKeepsTheLink) {
    namespace fs = std::filesystem;
    testing_support::TempDir dir;
    fs::create_directories(dir.file("a/b"));
    const auto text = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    // data/export.txt -> a/first -> b/real.txt (a chain of relative links in other folders).
    fs::create_directory(dir.file("data"));
    std::ofstream(dir.file("a/b/real.txt")) << "old";
    fs::create_symlink("b/real.txt", dir.file("a/first"));
    fs::create_symlink("../a/first", dir.file("data/export.txt"));
    EXPECT_EQ(replacedFile(dir.file("data/export.txt")), dir.file("data/../a/b/real.txt"));
    EXPECT_EQ(pendingName(dir.file("data/export.txt")),
              dir.file("data/../a/b/real.txt") + kPendingSuffix);

    writeFileAtomically(dir.file("data/export.txt"), "new");
    EXPECT_TRUE(fs::is_symlink(dir.file("data/export.txt")));
    EXPECT_TRUE(fs::is_symlink(dir.file("a/first")));
    EXPECT_EQ(text(dir.file("a/b/real.txt")), "new");
    std::ofstream(dir.file("source.txt")) << "copied";
    replaceWithCopy(dir.file("source.txt"), dir.file("data/export.txt"));
    EXPECT_EQ(text(dir.file("a/b/real.txt")), "copied");
    // Nothing was written beside the link.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("data")), fs::directory_iterator()), 1);
    EXPECT_FALSE(fs::exists(dir.file("a/b/real.txt") + kPendingSuffix));

    // A link that leads nowhere yet: the file is made where it leads.
    fs::create_symlink("a/b/later.txt", dir.file("dangling"));
    writeFileAtomically(dir.file("dangling"), "made");
    EXPECT_TRUE(fs::is_symlink(dir.file("dangling")));
    EXPECT_EQ(text(dir.file("a/b/later.txt")), "made");
    // A plain file is replaced in place, as ever.
    writeFileAtomically(dir.file("plain.txt"), "plain");
    EXPECT_EQ(replacedFile(dir.file("plain.txt")), dir.file("plain.txt"));
    EXPECT_EQ(text(dir.file("plain.txt")), "plain");
}
