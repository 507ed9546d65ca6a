#include "app/applicationmanager.h"
#include "app/devconfig.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));

    // Both live until the process ends.
    auto* devConfig = new Corvane::DevConfig;
    new Corvane::ApplicationManager(devConfig);
    return 0;
}
