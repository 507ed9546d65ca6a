#pragma once

#include <QtGlobal>

class QString;
class QWidget;

namespace Corvane {

/// The file name the save dialog proposes for a name the server suggested (fallback when
/// nothing usable is left) in the folder last saved to; the folder is made when missing.
QString proposedSavePath(const QString& suggested, const QString& fallback);

/// Asks where a downloaded file goes, proposing the name the server suggested (fallback when
/// nothing usable is left) in the folder last saved to; the path chosen, or empty when the user
/// gave up or the folder cannot take the file (the user has been told).
QString askSavePath(
    QWidget* parent, const QString& title, const QString& suggested, const QString& fallback);

/// The progress dialog's text for a download of which bytes have arrived.
QString downloadProgressText(qint64 bytes);

/// Whether the folder of path can take the file; if not, the user is told which folder it is.
bool checkSaveFolder(QWidget* parent, const QString& path);

/// Ends a download the user asked for: a failure is told in a box over parent (failure, or the
/// generic text when empty), a file saved at path is opened with the system's program for it
/// when it is of a type the lists offer, otherwise its folder is shown. missingLog is the log
/// line written when the file is not there after all.
void openDownloadedFile(QWidget* parent, bool success, const QString& path, const char* missingLog,
    const QString& failure);

}
