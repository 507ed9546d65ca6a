#include "app/resources.h"

#include "core/logging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QtGlobal>

// Q_INIT_RESOURCE declares the rcc entry point in the enclosing namespace, so it must be used
// outside Corvane.
static void initCorvaneResources() { Q_INIT_RESOURCE(resources); }

namespace Corvane {

void initResources() { initCorvaneResources(); }

bool installTranslations()
{
    // Dates, calendars and numbers are Italian whatever the system's locale: the program's texts
    // are, and amounts must read the same on every desk.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const QStringList folders { QLibraryInfo::location(QLibraryInfo::TranslationsPath),
        QCoreApplication::applicationDirPath() + QStringLiteral("/translations") };
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : folders) {
        if (translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"),
                QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    qCWarning(corvaneLog) << "Qt's Italian translation was not found in" << folders
                          << ": standard buttons and Qt's messages stay in English";
    delete translator;
    return false;
}

}
