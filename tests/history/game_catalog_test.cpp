#include "history/game_catalog.h"

#include <gtest/gtest.h>

#include <set>

using namespace history;

TEST(GameCatalog, ShippedTableHoldsEveryGameUnderItsCodeNamesAndSchedule) {
    const GameCatalog& games = builtInGames();
    ASSERT_EQ(games.all().size(), 24u);
    // Every code, key, name and alias leads back to its own game, and to no other.
    std::set<std::string> seen;
    for (const GameInfo& g : games.all()) {
        EXPECT_EQ(games.lookup(std::to_string(g.code())), &g);
        EXPECT_EQ(games.lookup(g.key), &g) << g.key;
        EXPECT_EQ(games.lookup(g.name), &g) << g.name;
        for (const auto& alias : g.aliases) EXPECT_EQ(games.lookup(alias), &g) << alias;
        EXPECT_FALSE(scheduleProblem(g.schedule)) << g.name;
        EXPECT_GE(g.largestDrawNumber(), g.drawsPerDay());
        EXPECT_TRUE(seen.insert(g.key).second) << g.key;
    }
    // The four first games keep their codes, names and id forms.
    EXPECT_EQ(games.name(Game::Jiangxi), "江西11选5");
    EXPECT_EQ(games.idForm(Game::Guangdong), IdForm::EightDigit);
    EXPECT_EQ(games.idForm(Game::Heilongjiang), IdForm::EightDigit);
    EXPECT_EQ(games.idForm(Game::Shanghai), IdForm::TenDigit);
    // Today's schedules, and the larger counts of older ones still accepted.
    EXPECT_EQ(games.schedule(Game::Jiangxi), (DrawSchedule{9 * 60 + 30, 20, 42}));
    EXPECT_EQ(games.largestDrawNumber(Game::Jiangxi), 84);
    EXPECT_EQ(games.largestDrawNumber(Game::Shanghai), 90);
    EXPECT_EQ(games.largestDrawNumber(Game::Heilongjiang), 79);
    EXPECT_EQ(games.lookup("十一运夺金")->largestDrawNumber(), 87);
    EXPECT_EQ(games.lookup("粤11选5")->game, Game::Guangdong);
    EXPECT_EQ(games.lookup("多乐彩")->game, Game::Jiangxi);
    EXPECT_EQ(games.lookup("易乐11选5")->name, "浙江11选5");
    EXPECT_EQ(games.lookup("惊喜11选5"), games.lookup("好运11选5"));
    EXPECT_EQ(games.lookup("欢乐11选5")->name, "新疆11选5");
    EXPECT_EQ(games.lookup("山东")->code(), 1037);
    EXPECT_EQ(games.lookup("SD")->code(), 1037);
    // 新疆's last draw falls at 02:00 the next morning and still belongs to its day.
    const auto xinjiang = games.lookup("新疆11选5")->schedule;
    EXPECT_EQ(dueMinute(xinjiang, xinjiang.drawsPerDay), 26 * 60);
    // A code the table does not hold plays like 江西.
    EXPECT_EQ(games.drawsPerDay(Game{999}), 42);
    EXPECT_EQ(games.name(Game{999}), "彩种999");
    EXPECT_EQ(games.lookup("999"), nullptr);
}

TEST(GameCatalog, DamagedTablesAreRefusedNamingFileAndLine) {
    const std::string good = "22 jx 江西11选5 多乐彩 10 09:30 20 42 84\n";
    struct Case {
        std::string text;
        int line;
        std::string says;
    };
    const std::vector<Case> cases = {
        {good + "22 gd 广东11选5 - 8 09:30 20 42 -\n", 2, "编号22"},
        {good + "23 gd 广东11选5 多乐彩 8 09:30 20 42 -\n", 2, "多乐彩"},
        {good + "23 jx 广东11选5 - 8 09:30 20 42 -\n", 2, "简称"},
        {"# comment\n\n" + good + "23 gd 广东11选5 - 8 09:30 20\n", 4, "9栏"},
        {good + "23 gd 广东11选5 - 8 14:21 20 48 -\n", 2, "06:00"},
        {good + "23 gd 广东11选5 - 8 09:30 121 5 -\n", 2, "120"},
        {good + "23 gd 广东11选5 - 8 09:30 20 100 -\n", 2, "1到99"},
        {good + "23 gd 广东11选5 - 9 09:30 20 42 -\n", 2, "10或8"},
        {good + "23 gd 广东11选5 - 8 9:30 20 42 -\n", 2, "HH:MM"},
        {good + "23 gd \xb9\xe3\xb6\xab - 8 09:30 20 42 -\n", 2, "UTF-8"},
        {"# nothing\n", 0, "没有任何彩种"},
    };
    for (const auto& c : cases) {
        std::vector<CatalogProblem> problems;
        EXPECT_FALSE(GameCatalog::parse(c.text, "games.tsv", problems)) << c.text;
        ASSERT_EQ(problems.size(), 1u) << c.text;
        EXPECT_EQ(problems[0].line, c.line) << c.text;
        EXPECT_NE(problems[0].text().find(c.says), std::string::npos) << problems[0].text();
        EXPECT_EQ(problems[0].text().rfind("games.tsv", 0), 0u);
    }
    // The last draw may fall at 06:00 after midnight exactly; tabs and spaces both separate.
    std::vector<CatalogProblem> problems;
    const auto late = GameCatalog::parse(good + "23\tgd\t广东11选5\t-\t8\t14:20\t20\t48\t-\r\n",
                                         "games.tsv", problems);
    ASSERT_TRUE(late) << (problems.empty() ? "" : problems[0].text());
    EXPECT_EQ(late->drawsPerDay(Game::Guangdong), 48);
}

TEST(GameCatalog, TextsFindTheirGameOrTheClosestOnes) {
    const GameCatalog& games = builtInGames();
    EXPECT_EQ(games.closest("山东11选五", 3).front()->code(), 1037);
    EXPECT_EQ(games.closest("黑龙江", 1).front()->game, Game::Heilongjiang);
    EXPECT_EQ(games.closest("563", 1).front()->game, Game::Shanghai);
    // A page or sheet naming a game by an alias names that game; the longest name found wins.
    EXPECT_EQ(games.namedIn("十一运夺金开奖结果")->code(), 1037);
    EXPECT_EQ(games.namedIn("粤11选5 第2026120801期")->game, Game::Guangdong);
    EXPECT_EQ(games.namedIn("11选5开奖"), nullptr);
    // An added game may take no name another has; its own edit may keep its names.
    GameInfo added{Game{2001},     "mine",           "自编11选5",
                   {"十一运夺金"}, IdForm::TenDigit, DrawSchedule{9 * 60, 20, 40}};
    EXPECT_TRUE(games.problemAdding(added));
    added.aliases = {"自编"};
    EXPECT_FALSE(games.problemAdding(added));
    const GameCatalog more = games.withGame(added);
    EXPECT_EQ(more.lookup("自编")->code(), 2001);
    EXPECT_FALSE(more.problemAdding(added, Game{2001}));
    EXPECT_EQ(gameLineText(added), "2001 mine 自编11选5 自编 10 09:00 20 40 -");
    GameInfo read;
    EXPECT_FALSE(readGameLine(gameLineText(added), read));
    EXPECT_EQ(read.name, added.name);
    EXPECT_EQ(read.schedule, added.schedule);
}
