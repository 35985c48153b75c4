#include "gui/window/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QtDebug>

namespace app::gui {

namespace {
const QString kTranslatorName = QStringLiteral("qtChineseTranslation");
}

bool installQtChineseTranslation() {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) return false;
    if (application->findChild<QTranslator*>(kTranslatorName, Qt::FindDirectChildrenOnly))
        return true;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(application);
    translator->setObjectName(kTranslatorName);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder) ||
        !QCoreApplication::installTranslator(translator)) {
        qWarning("Qt's Chinese translation qtbase_zh_CN.qm was not found in %s",
                 qPrintable(folder));
        delete translator;
        return false;
    }
    return true;
}

} // namespace app::gui
