#pragma once

#include <QList>
#include <QMap>
#include <QString>

namespace Corvane {

/// One decoded record of a server reply: field name to text.
using DataRow = QMap<QString, QString>;

}
