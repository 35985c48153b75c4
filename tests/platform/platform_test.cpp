#include "platform/database.h"
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
