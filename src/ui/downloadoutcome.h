#pragma once

class QString;
class QWidget;

namespace Corvane {

/// Ends a download the user asked for: a failure is told in a box over parent, a file saved at
/// path is opened with the system's program for it. missingLog is the log line written when
/// the file is not there after all.
void openDownloadedFile(QWidget* parent, bool success, const QString& path, const char* missingLog);

}
