#include "ui/amortizationplot.h"

#include "core/logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <dlfcn.h>
#endif

namespace Corvane {

namespace {
    using Factory = AmortizationPlot* (*)(QWidget*);
    constexpr char factoryName[] = "corvaneCreateAmortizationPlot";

    Factory loadFactory()
    {
#ifdef Q_OS_UNIX
        // Linked in already: the tests link the module.
        if (auto factory = reinterpret_cast<Factory>(dlsym(RTLD_DEFAULT, factoryName)))
            return factory;
#endif
        // Only from the program's own installation: never from a folder found by searching.
        const QDir program(QCoreApplication::applicationDirPath());
        QStringList errors;
        for (const QString& folder :
            { program.filePath(QStringLiteral(CORVANE_CHART_MODULE_DIR)), program.path() }) {
            // Kept loaded until the process ends.
            QLibrary library(QDir(folder).filePath(QStringLiteral("corvane-chart")));
            if (auto factory = reinterpret_cast<Factory>(library.resolve(factoryName)))
                return factory;
            errors << library.errorString();
        }
        qCWarning(corvaneLog) << "Cannot load the chart module:" << errors;
        return nullptr;
    }
}

AmortizationPlot* AmortizationPlot::create(QWidget* parent)
{
    static const Factory factory = loadFactory();
    return factory ? factory(parent) : nullptr;
}

}
