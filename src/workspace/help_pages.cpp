#include "workspace/help_pages.h"

#include "platform/file_io.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <exception>

namespace app {

namespace {

// The pages in the program's resources, with the folders below it as they are written.
constexpr const char* kResourceRoot = ":/help";
constexpr const char* kFolderName = "帮助";
// Names the version and data folder the pages in the folder were written for.
constexpr const char* kStampName = "版本.txt";
constexpr const char* kAboutName = "about.html";

QString pageName(HelpPage page) {
    switch (page) {
    case HelpPage::About:
        return QString::fromUtf8(kAboutName);
    case HelpPage::Guide:
        return QStringLiteral("guide.html");
    case HelpPage::Walkthroughs:
        return QStringLiteral("walkthroughs.html");
    }
    return QString::fromUtf8(kAboutName);
}

QString shownDataFolder(const std::string& dataDir) {
    return QDir::toNativeSeparators(QFileInfo(QString::fromStdString(dataDir)).absoluteFilePath());
}

std::string stampText(const std::string& dataDir) {
    return (QStringLiteral("kelvora11s5 %1\n%2\n")
                .arg(QString::fromUtf8(K11_VERSION), shownDataFolder(dataDir)))
        .toStdString();
}

// Every file of the pages, as a path relative to the resource root.
QStringList resourceFiles() {
    QStringList files;
    const QDir root(QString::fromUtf8(kResourceRoot));
    QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << root.relativeFilePath(it.next());
    files.sort();
    return files;
}

bool upToDate(const QDir& folder, const QStringList& files, const std::string& dataDir) {
    try {
        if (platform::readFile(folder.filePath(QString::fromUtf8(kStampName)).toStdString()) !=
            stampText(dataDir))
            return false;
    } catch (const platform::FileError&) {
        return false;
    }
    for (const QString& file : files)
        if (!QFileInfo(folder.filePath(file)).isFile()) return false;
    return true;
}

std::string fillAboutPage(std::string text, const std::string& dataDir) {
    const auto replace = [&text](const std::string& mark, const QString& value) {
        const std::string escaped = value.toHtmlEscaped().toStdString();
        for (size_t at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + escaped.size()))
            text.replace(at, mark.size(), escaped);
    };
    replace("@VERSION@", QString::fromUtf8(K11_VERSION));
    replace("@DATA_FOLDER@", shownDataFolder(dataDir));
    return text;
}

void writePages(const QDir& folder, const QStringList& files, const std::string& dataDir) {
    for (const QString& file : files) {
        const QString target = folder.filePath(file);
        if (!QDir().mkpath(QFileInfo(target).path()))
            throw platform::FileError("无法创建文件夹 " + QFileInfo(target).path().toStdString());
        QFile source(QString::fromUtf8(kResourceRoot) + '/' + file);
        if (!source.open(QIODevice::ReadOnly))
            throw platform::FileError("程序内的帮助页面 " + file.toStdString() + " 无法读取");
        std::string bytes = source.readAll().toStdString();
        if (file == QString::fromUtf8(kAboutName)) bytes = fillAboutPage(std::move(bytes), dataDir);
        platform::writeFileAtomically(target.toStdString(), bytes);
    }
    // Last, so that pages cut short by a failure are written again next time.
    platform::writeFileAtomically(folder.filePath(QString::fromUtf8(kStampName)).toStdString(),
                                  stampText(dataDir));
}

} // namespace

std::string helpFolder(const std::string& dataDir) {
    return QDir(QString::fromStdString(dataDir))
        .filePath(QString::fromUtf8(kFolderName))
        .toStdString();
}

HelpPagesResult prepareHelpPage(const std::string& dataDir, HelpPage page) {
    const QDir folder(QString::fromStdString(helpFolder(dataDir)));
    HelpPagesResult result;
    result.path = folder.filePath(pageName(page)).toStdString();
    const QStringList files = resourceFiles();
    if (upToDate(folder, files, dataDir)) return result;
    try {
        writePages(folder, files, dataDir);
    } catch (const std::exception& e) {
        result.ok = false;
        result.message = std::string("帮助页面无法写入文件夹 ") + folder.path().toStdString() +
                         "（" + e.what() + "）。请检查数据文件夹是否可写。";
    }
    return result;
}

} // namespace app
