#include "app/startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Sizes follow the screen's scale, and icons and logos draw from their large images.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication application(argc, argv);
    return Corvane::runClient(QStringLiteral(CORVANE_VERSION));
}
