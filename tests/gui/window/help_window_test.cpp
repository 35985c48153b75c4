// The help items of the settings menu open the pages written into the data folder.

#include "gui/window_fixture.h"

#include "workspace/help_pages.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>
#include <QUrl>

#include <vector>

using testing_support::WindowFixture;

namespace {

TEST(HelpWindowTest, EachHelpItemOpensItsPageFromTheDataFolder) {
    WindowFixture f;
    f.open();
    std::vector<QUrl> opened;
    f.window->setPageOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    const QDir folder(QString::fromStdString(app::helpFolder(f.store.dataDir())));
    const std::vector<std::pair<QString, QString>> items = {
        {QStringLiteral("mnuFrontPage"), QStringLiteral("about.html")},
        {QStringLiteral("mnuDescrb"), QStringLiteral("guide.html")},
        {QStringLiteral("numYanshiDown"), QStringLiteral("walkthroughs.html")},
    };
    for (const auto& [name, page] : items) {
        auto* item = f.find<QAction>(name);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled()) << name.toStdString();
        opened.clear();
        item->trigger();
        ASSERT_EQ(opened.size(), 1u) << name.toStdString();
        EXPECT_TRUE(opened[0].isLocalFile());
        EXPECT_EQ(QFileInfo(folder.filePath(page)).absoluteFilePath(),
                  QFileInfo(opened[0].toLocalFile()).absoluteFilePath());
        EXPECT_TRUE(QFileInfo(opened[0].toLocalFile()).isFile());
        // The status bar names the file, in case the desktop opened nothing.
        const QString said = f.window->statusBar()->currentMessage();
        EXPECT_TRUE(said.contains(page) && said.contains(QStringLiteral("帮助")))
            << said.toStdString();
    }
    EXPECT_TRUE(f.prompter.shown.empty());
}

TEST(HelpWindowTest, APageNoBrowserTookIsNamedToTheUser) {
    WindowFixture f;
    f.open();
    f.window->setPageOpener([](const QUrl&) { return false; });
    f.find<QAction>(QStringLiteral("mnuDescrb"))->trigger();
    const auto told = f.prompter.texts(QStringLiteral("tell"));
    ASSERT_EQ(told.size(), 1u);
    const QString page =
        QDir::toNativeSeparators(QDir(QString::fromStdString(app::helpFolder(f.store.dataDir())))
                                     .filePath(QStringLiteral("guide.html")));
    EXPECT_TRUE(told[0].contains(page)) << told[0].toStdString();
}

} // namespace
