#include "core/ownerfile.h"

#include <QFile>

namespace Corvane {

bool restrictToOwner(const QString& path)
{
    constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile file(path);
    if (!file.exists() && !file.open(QIODevice::WriteOnly))
        return false;
    return file.permissions() == ownerOnly || file.setPermissions(ownerOnly);
}

}
