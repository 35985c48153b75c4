// The online update in the window: the button and its question, the site asked for once, the
// result, and the days-to-keep input.

#include "gui/window_fixture.h"

#include "site/results_site.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using testing_support::WindowFixture;

namespace {

const QString kQuestion = QStringLiteral(
    "确实要在线更新最新历史号码吗？更新可能要花费一段时间，网络不通或者我方服务器更新不及时可能都"
    "造成更新失败！");
const QString kWrong = QStringLiteral(
    "为了保证时效性和提高计算效率，软件只能统计16天以内的数据，请输入2到16中的自然数。");

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
    EXPECT_EQ(button->toolTip(), "从官方服务器更新历史号码");

    // Cancel in the question: nothing happens.
    f.prompter.confirmations = {false};
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(f.prompter.shown.back().title, "读入历史");
    EXPECT_EQ(f.prompter.shown.back().text, kQuestion);
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

TEST(UpdateWindow, TheDaysToKeepAreAskedUntilTheyAreTwoToSixteen) {
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
}

TEST(UpdateWindow, TheSiteCanBeChangedAndASiteThatDoesNotAnswerOffersToChangeIt) {
    WindowFixture f;
    site::ResultsSite site(twoDays());
    ASSERT_NE(site.listen(), 0);
    f.store.type("2016090701", {{"01", "02", "03", "04", "05"}});
    ASSERT_TRUE(f.workspace().setSetting("UpdateSite", "http://127.0.0.1:1").ok);
    f.open();

    // Nothing answers at the address: the message is in Chinese and offers to change it.
    f.prompter.confirmations = {true, true};
    f.prompter.answers = {QString::fromStdString(site.baseUrl())};
    QTest::mouseClick(f.find<QPushButton>("Command21"), Qt::LeftButton);
    ASSERT_GE(f.prompter.shown.size(), 3u);
    const auto& offer = f.prompter.shown[1];
    EXPECT_EQ(offer.kind, "confirm");
    EXPECT_NE(offer.text.indexOf(QStringLiteral("连接被拒绝")), -1) << offer.text.toStdString();
    EXPECT_NE(offer.text.indexOf(QStringLiteral("没有更新：历史号码没有改变")), -1)
        << offer.text.toStdString();
    EXPECT_NE(offer.text.indexOf(QStringLiteral("要修改开奖网站的地址吗")), -1);
    EXPECT_EQ(f.storedSetting("UpdateSite"), QString::fromStdString(site.baseUrl()));

    // 更新网址设置: anything but a web address is refused and asked again.
    auto* item = f.find<QAction>("mnuUpdateSite");
    EXPECT_EQ(item->text(), "更新网址设置(&W)");
    f.prompter.answers = {QStringLiteral("ftp://x"), QStringLiteral("http://127.0.0.1:9/")};
    item->trigger();
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_EQ(f.storedSetting("UpdateSite"), "http://127.0.0.1:9");
    // The dialog shows the address today's page is fetched from; a pattern is taken.
    f.prompter.answers = {QStringLiteral("http://127.0.0.1:9/kj/{code}/{yymmdd}.html")};
    item->trigger();
    EXPECT_NE(f.prompter.shown.back().text.indexOf(
                  QStringLiteral("今天（2016-09-08）将读取的网页：\n"
                                 "http://127.0.0.1:9/lottery/draw/list/22?d=2016-09-08")),
              -1)
        << f.prompter.shown.back().text.toStdString();
    EXPECT_EQ(f.storedSetting("UpdateSite"), "http://127.0.0.1:9/kj/{code}/{yymmdd}.html");
    // Cancel keeps the address.
    f.prompter.answers = {std::nullopt};
    item->trigger();
    EXPECT_EQ(f.storedSetting("UpdateSite"), "http://127.0.0.1:9/kj/{code}/{yymmdd}.html");
}
