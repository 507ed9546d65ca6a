#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    return 0;
}
