// The help pages written into the data folder: what the about page tells, the links between the
// pages, and when they are written again.

#include "support/core_application.h"
#include "support/temp_dir.h"
#include "workspace/help_pages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <set>

using app::HelpPage;
using app::prepareHelpPage;
using testing_support::TempDir;

namespace {

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

std::set<QString> idsOf(const QString& html) {
    std::set<QString> ids;
    static const QRegularExpression id(QStringLiteral(R"re(\bid="([^"]+)")re"));
    for (auto it = id.globalMatch(html); it.hasNext();) ids.insert(it.next().captured(1));
    return ids;
}

class HelpPagesTest : public ::testing::Test {
  protected:
    void SetUp() override { testing_support::ensureCoreApplication(); }
    std::string dataDir() const { return dir.file("数据"); }
    QDir folder() const { return QDir(QString::fromStdString(app::helpFolder(dataDir()))); }
    TempDir dir;
};

TEST_F(HelpPagesTest, PagesAreWrittenIntoTheDataFolderAndTheAboutPageNamesVersionAndFolder) {
    const auto about = prepareHelpPage(dataDir(), HelpPage::About);
    ASSERT_TRUE(about.ok) << about.message;
    EXPECT_EQ(folder().filePath("about.html").toStdString(), about.path);
    EXPECT_TRUE(folder().path().endsWith(QStringLiteral("/帮助")));
    for (const auto page : {HelpPage::Guide, HelpPage::Walkthroughs}) {
        const auto other = prepareHelpPage(dataDir(), page);
        EXPECT_TRUE(other.ok);
        EXPECT_TRUE(QFileInfo(QString::fromStdString(other.path)).isFile()) << other.path;
        EXPECT_NE(other.path, about.path);
    }

    const QString text = readText(QString::fromStdString(about.path));
    EXPECT_TRUE(text.contains(QStringLiteral(K11_VERSION))) << text.toStdString();
    const QString shownFolder =
        QDir::toNativeSeparators(QFileInfo(QString::fromStdString(dataDir())).absoluteFilePath());
    EXPECT_TRUE(text.contains(shownFolder.toHtmlEscaped()));
    EXPECT_FALSE(text.contains('@')) << "a mark left unfilled";
}

TEST_F(HelpPagesTest, EveryLinkAndImageBetweenThePagesResolvesToAWrittenFile) {
    ASSERT_TRUE(prepareHelpPage(dataDir(), HelpPage::Guide).ok);
    static const QRegularExpression reference(QStringLiteral(R"re(\b(?:href|src)="([^"]*)")re"));
    int links = 0;
    int images = 0;
    for (const QString& name : folder().entryList({QStringLiteral("*.html")}, QDir::Files)) {
        const QString page = folder().filePath(name);
        const QString html = readText(page);
        EXPECT_TRUE(html.contains(QStringLiteral("charset=\"utf-8\""))) << name.toStdString();
        for (auto it = reference.globalMatch(html); it.hasNext();) {
            const QUrl url(it.next().captured(1));
            // Pages open without a network: nothing may come from elsewhere.
            ASSERT_TRUE(url.isRelative())
                << name.toStdString() << ": " << url.toString().toStdString();
            const QString target =
                url.path().isEmpty() ? page : QFileInfo(page).dir().filePath(url.path());
            EXPECT_TRUE(QFileInfo(target).isFile())
                << name.toStdString() << " -> " << url.toString().toStdString();
            if (url.hasFragment()) {
                EXPECT_TRUE(idsOf(readText(target)).count(url.fragment()))
                    << name.toStdString() << " -> " << url.toString().toStdString();
            }
            if (target.endsWith(QStringLiteral(".html")))
                ++links;
            else if (!target.endsWith(QStringLiteral(".css")))
                ++images;
        }
    }
    // The three pages reach each other and show pictures of the window.
    EXPECT_GE(links, 6);
    EXPECT_GE(images, 4);
}

TEST_F(HelpPagesTest, PagesAreWrittenAgainWhenMissingOrFromAnotherVersionOnly) {
    ASSERT_TRUE(prepareHelpPage(dataDir(), HelpPage::About).ok);
    const QString guide = folder().filePath("guide.html");
    const QString original = readText(guide);

    // The same version leaves what is there (a reader may have the page open).
    { std::ofstream(guide.toStdString()) << "edited"; }
    ASSERT_TRUE(prepareHelpPage(dataDir(), HelpPage::Guide).ok);
    EXPECT_EQ(QStringLiteral("edited"), readText(guide));

    // Pages of another version are replaced.
    { std::ofstream(folder().filePath("版本.txt").toStdString()) << "kelvora11s5 0.0\n"; }
    ASSERT_TRUE(prepareHelpPage(dataDir(), HelpPage::Guide).ok);
    EXPECT_EQ(original, readText(guide));

    // A page that was removed comes back.
    std::filesystem::remove(guide.toStdString());
    ASSERT_TRUE(prepareHelpPage(dataDir(), HelpPage::About).ok);
    EXPECT_EQ(original, readText(guide));
}

TEST_F(HelpPagesTest, AFolderThatCannotBeWrittenIsReportedWithItsPlace) {
    // A file where the help folder should be.
    std::filesystem::create_directories(dataDir());
    { std::ofstream(app::helpFolder(dataDir())) << "x"; }
    const auto result = prepareHelpPage(dataDir(), HelpPage::Guide);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(std::string::npos, result.message.find(app::helpFolder(dataDir())));
}

} // namespace
