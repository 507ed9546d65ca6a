#include "app/systeminfo.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSysInfo>

namespace Corvane {

void logSystemInfo()
{
    qDebug() << "System info ------------------------------";
    qDebug() << "Current Corvane version:" << QCoreApplication::applicationVersion().toUtf8().constData();
#ifdef Q_OS_WIN
    qDebug() << "Windows version:" << int(QSysInfo::windowsVersion());
#else
    // Elsewhere the kernel version stands where the Windows version would be.
    qDebug() << "Kernel version:" << QSysInfo::kernelVersion();
#endif
    qDebug() << "System product version:" << QSysInfo::productVersion();
    qDebug() << "System product name:" << QSysInfo::prettyProductName();
    qDebug() << "System architecture:" << QSysInfo::currentCpuArchitecture();
    qDebug() << "------------------------------------------";
}

}
