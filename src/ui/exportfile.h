#pragma once

#include <QString>

class QWidget;

namespace Corvane {

/// Asks where a table goes, as a workbook or as CSV, proposing proposedName in the folder last
/// saved to; the path chosen, ending in the format's suffix, or empty when the user gave up.
QString askExportPath(QWidget* parent, const QString& title, const QString& proposedName);

/// Tells the user that nothing was written: the file at path could not be, or (path empty) the
/// results stopped coming.
void showExportFailure(QWidget* parent, const QString& path);

}
