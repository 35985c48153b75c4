#include "app/data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace app {

std::string defaultDataFolder() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    // A real write tells more than permission bits (read-only mounts, ACLs).
    QTemporaryFile probe(programFolder + "/.write-test-XXXXXX");
    if (probe.open()) return programFolder.toStdString();
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(userFolder);
    return userFolder.toStdString();
}

} // namespace app
