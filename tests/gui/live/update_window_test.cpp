// The online update in the window: the button and its question, the site asked for once, the
// result, and the days-to-keep input.

#include "gui/window_fixture.h"

#include "site/results_site.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using testing_support::WindowFixture;

namespace {

const QString kQuestion = QStringLiteral(
    "确实要在线更新最新历史号码吗？更新可能要花费一段时间，网络不通或者您设置的开奖网站更新不及时"
    "都可能造成更新失败！");
const QString kWrong =
    QStringLiteral("请输入2到16中的自然数（保留的天数），或输入0保留全部历史号码。");

std::vector<site::SiteDraw> twoDays() {
    // 2016-09-07 and 09-08 (the fixture's today), three draws each.
    return {{16090701, {1, 2, 3, 4, 5}},   {16090702, {6, 7, 8, 9, 10}},
            {16090703, {11, 1, 2, 3, 4}},  {16090801, {5, 6, 7, 8, 9}},
            {16090802, {10, 11, 1, 2, 3}}, {16090803, {4, 5, 6, 7, 8}}};
}

} // namespace

TEST(UpdateWindow, TheButtonAsksForTheSiteOnceAndStoresTheNewDraws) {
    WindowFixture f; // first: the site needs the application's event loop
    site::ResultsSite site(twoDays());
    ASSERT_NE(site.listen(), 0);
    f.store.type("2016090701", {{"01", "02", "03", "04", "05"},
                                {"06", "07", "08", "09", "10"},
                                {"11", "01", "02", "03", "04"}});
    f.open();
    auto* button = f.find<QPushButton>("Command21");
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(button->text(), "历史号在线更新(&O)");
    EXPECT_EQ(button->toolTip(), "从您设置的开奖网站更新历史号码");

    // Cancel in the question: nothing happens.
    f.prompter.confirmations = {false};
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(f.prompter.shown.back().title, "读入历史");
    EXPECT_EQ(f.prompter.shown.back().text, kQuestion);
    // The player chose the site: the question speaks of no server of ours.
    EXPECT_FALSE(f.prompter.shown.back().text.contains(QStringLiteral("服务器")));
    EXPECT_EQ(site.requests(), 0);

    f.prompter.confirmations = {true};
    f.prompter.answers = {QString::fromStdString(site.baseUrl() + "/")};
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(f.storedSetting("UpdateSite"), QString::fromStdString(site.baseUrl()));
    EXPECT_TRUE(f.prompter.warnings().empty());
    ASSERT_EQ(f.workspace().rows().size(), 6u);
    EXPECT_EQ(f.find<QTableView>("MSFlexGrid1")->model()->rowCount(), 6);
    EXPECT_EQ(f.find<QLineEdit>("Text1")->text(), "2016090804");
    EXPECT_NE(f.prompter.shown.back().text.indexOf(QStringLiteral("新存入3期")), -1);

    // The next time the site is known; a missing day is told as a warning.
    site.setMissingDays({"2016-09-08"});
    f.prompter.confirmations = {true};
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_NE(f.prompter.warnings()[0].indexOf(QStringLiteral("2016-09-08")), -1);
    EXPECT_TRUE(f.prompter.answers.empty());
}

TEST(UpdateWindow, TheDaysToKeepAreAskedUntilTheyAreTwoToSixteenOrAll) {
    WindowFixture f;
    f.open();
    auto* item = f.find<QAction>("mnuSetDay");
    EXPECT_TRUE(item->isEnabled());
    f.prompter.answers = {QStringLiteral("17"), QStringLiteral("1"), QStringLiteral("abc"),
                          QStringLiteral("16")};
    item->trigger();
    EXPECT_EQ(f.storedSetting("IniSerchDay"), "16");
    // A plain OK box, without a warning icon.
    const auto told = f.prompter.texts(QStringLiteral("tell"));
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0], kWrong);
    EXPECT_TRUE(f.prompter.warnings().empty());
    EXPECT_EQ(f.prompter.shown[0].title, "设置天数");
    // An empty entry or Cancel keeps the days.
    f.prompter.answers = {QString()};
    item->trigger();
    f.prompter.answers = {std::nullopt};
    item->trigger();
    EXPECT_EQ(f.storedSetting("IniSerchDay"), "16");
    EXPECT_EQ(f.prompter.texts(QStringLiteral("tell")).size(), 3u);
    // Keeping every draw is offered, and stored as days 0.
    EXPECT_NE(f.prompter.shown.back().text.indexOf(QStringLiteral("保留全部历史号码")), -1);
    f.prompter.answers = {QStringLiteral("全部")};
    item->trigger();
    EXPECT_EQ(f.storedSetting("IniSerchDay"), "0");
    EXPECT_EQ(f.workspace().settings().updateDays, 0);
}

TEST(UpdateWindow, OldDrawsGoOnlyAfterTheQuestionAndTheSpanLeavesThem) {
    WindowFixture f;
    // Two draws of 09-01, older than the six kept days; the span starts at the second.
    f.store.type("2016090101", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
    f.store.workspace->setSpan("2016090102", "2016090102");
    std::vector<site::SiteDraw> week;
    for (int day = 2; day <= 8; ++day) week.push_back({16090001 + day * 100, {1, 2, 3, 4, 5}});
    site::ResultsSite site(week);
    ASSERT_NE(site.listen(), 0);
    ASSERT_TRUE(f.workspace().setSetting("UpdateSite", site.baseUrl()).ok);
    f.open();
    auto* button = f.find<QPushButton>("Command21");

    // The question says what goes and how to keep it; Cancel keeps everything.
    f.prompter.confirmations = {false};
    QTest::mouseClick(button, Qt::LeftButton);
    const QString question = f.prompter.shown.back().text;
    EXPECT_NE(question.indexOf(QStringLiteral("将删除早于保留天数（6天）的2期历史号码")), -1)
        << question.toStdString();
    EXPECT_NE(question.indexOf(QStringLiteral("保留全部历史号码")), -1);
    EXPECT_EQ(site.requests(), 0);
    EXPECT_EQ(f.workspace().rows().size(), 2u);

    // OK: the old draws go; the span's start named one of them and moves, with a note.
    f.prompter.confirmations = {true};
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(f.workspace().rows().size(), 7u);
    EXPECT_EQ(f.workspace().rows().front().period, 16090201);
    EXPECT_EQ(f.find<QLineEdit>("Text3_0")->text(), "2016090202");
    EXPECT_NE(f.window->statusBar()->currentMessage().indexOf(
                  QStringLiteral("检索起始期号2016090102已不在历史号码中")),
              -1)
        << f.window->statusBar()->currentMessage().toStdString();
}

TEST(UpdateWindow, AStoredDrawTheSiteGivesOtherwiseIsReplacedOnlyWhenThePlayerSaysSo) {
    WindowFixture f;
    f.store.type("2016090701", {{"01", "02", "03", "04", "05"}, {"09", "08", "07", "06", "05"}});
    site::ResultsSite site(twoDays());
    ASSERT_NE(site.listen(), 0);
    ASSERT_TRUE(f.workspace().setSetting("UpdateSite", site.baseUrl()).ok);
    f.open();
    const QString told =
        QStringLiteral("第2016090702期：历史号码中是 09 08 07 06 05，网站上是 06 07 08 09 10");

    // No: the typed draw stays.
    f.prompter.confirmations = {true, false};
    QTest::mouseClick(f.find<QPushButton>("Command21"), Qt::LeftButton);
    ASSERT_EQ(f.workspace().rows().size(), 6u);
    EXPECT_EQ(f.workspace().rows()[1].numbers(), (history::PositionValues{9, 8, 7, 6, 5}));
    const auto questions = f.prompter.texts(QStringLiteral("confirm"));
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_NE(questions[1].indexOf(told), -1) << questions[1].toStdString();

    // Yes: the site's numbers, the typed ones saved first.
    f.prompter.confirmations = {true, true};
    QTest::mouseClick(f.find<QPushButton>("Command21"), Qt::LeftButton);
    EXPECT_EQ(f.workspace().rows()[1].numbers(), (history::PositionValues{6, 7, 8, 9, 10}));
    EXPECT_NE(f.prompter.shown.back().text.indexOf(QStringLiteral("已把1期改成网站上的号码")), -1)
        << f.prompter.shown.back().text.toStdString();
    EXPECT_TRUE(f.prompter.warnings().empty());
}
