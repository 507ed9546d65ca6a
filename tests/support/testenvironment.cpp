#include "support/testenvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <memory>

namespace Corvane::Test::TestEnvironment {

QString pkiDirectory()
{
    const QByteArray fromEnvironment = qgetenv("CORVANE_TEST_PKI_DIR");
    if (fromEnvironment.isEmpty())
        qFatal("CORVANE_TEST_PKI_DIR is not set: run the tests through ctest");
    return QString::fromLocal8Bit(fromEnvironment);
}

QString caCertificatesPath() { return pkiDirectory() + "/ca.pem"; }

void enterTemporaryWorkingDirectory()
{
    QStandardPaths::setTestModeEnabled(true);
    static std::unique_ptr<QTemporaryDir> directory;
    directory = std::make_unique<QTemporaryDir>();
    QDir::setCurrent(directory->path());
    // A home of its own keeps the test-mode session files of tests run side by side apart.
    const QString home = directory->filePath("home");
    QDir().mkpath(home);
    qputenv("HOME", QFile::encodeName(home));
}

bool takeQuitRequest()
{
    QEventLoop probe;
    QTimer::singleShot(0, &probe, [&probe] { probe.exit(0); });
    if (probe.exec() != -1)
        return false;
    // The application loop clears the pending quit when it returns.
    QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    return true;
}

}
