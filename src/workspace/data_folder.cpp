#include "workspace/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifndef K11_INSTALL_BINDIR
#define K11_INSTALL_BINDIR ""
#endif

namespace app {

namespace {

QString canonical(const std::string& folder) {
    const QFileInfo info(QString::fromStdString(folder));
    const QString path = info.canonicalFilePath();
    return path.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : path;
}

} // namespace

std::string chooseDataFolder(const std::string& programFolder, const std::string& installedFolder,
                             const std::string& userFolder) {
    const bool installed =
        !installedFolder.empty() && canonical(programFolder) == canonical(installedFolder);
    if (!installed) {
        // A real write tells more than permission bits (read-only mounts, ACLs).
        QTemporaryFile probe(QString::fromStdString(programFolder) + "/.write-test-XXXXXX");
        if (probe.open()) return programFolder;
    }
    QDir().mkpath(QString::fromStdString(userFolder));
    return userFolder;
}

std::string defaultDataFolder() {
    return chooseDataFolder(
        QCoreApplication::applicationDirPath().toStdString(), K11_INSTALL_BINDIR,
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
}

} // namespace app
