#pragma once

#include <QString>
#include <QtGlobal>

namespace Corvane {

/// Process-wide Qt message handler: appends every debug, warning, critical and fatal line to
/// "corvane2.log" in the working directory and echoes it to standard error. Installed by the
/// flow manager for the whole process.
void logMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);

}
