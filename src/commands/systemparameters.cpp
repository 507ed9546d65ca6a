#include "commands/systemparameters.h"

#include <QSysInfo>

namespace Corvane::Command {

QMap<QString, QString> systemParameters()
{
    return { { QStringLiteral("sys_prod_name"), QSysInfo::prettyProductName() },
        { QStringLiteral("sys_arch"), QSysInfo::currentCpuArchitecture() } };
}

}
