#include "app/config.h"

#include "core/logging.h"

#include <QCoreApplication>

namespace Corvane {

Config::Config(QObject* parent)
    : QObject(parent)
    , version(QCoreApplication::applicationVersion())
{
    qCDebug(corvaneLog) << metaObject()->className();
}

}
