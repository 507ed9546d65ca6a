#pragma once

#include <QMap>
#include <QString>

namespace Corvane::Command {

/// The form fields that tell the server which system the client runs on: "sys_prod_name" and
/// "sys_arch".
QMap<QString, QString> systemParameters();

}
