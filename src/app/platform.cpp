#include "app/platform.h"

#include "core/logging.h"

#include <QDir>
#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Corvane::Platform {

bool startProgram(const QString& path, const QString& parameter)
{
#ifdef Q_OS_WIN
    const QByteArray file = QDir::toNativeSeparators(path).toLocal8Bit();
    const QByteArray arguments = parameter.toLocal8Bit();
    const char* const parameters = parameter.isEmpty() ? nullptr : arguments.constData();
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", file.constData(), parameters, nullptr, SW_SHOWNORMAL));
    if (result == SE_ERR_ACCESSDENIED)
        result = reinterpret_cast<INT_PTR>(
            ShellExecuteA(nullptr, "runas", file.constData(), parameters, nullptr, SW_SHOWNORMAL));
    return result > 32;
#else
    const QStringList arguments = parameter.isEmpty() ? QStringList() : QStringList { parameter };
    const bool started = QProcess::startDetached(path, arguments, QDir::currentPath());
    if (!started)
        qCDebug(corvaneLog) << "Could not start" << path;
    return started;
#endif
}

}
