#pragma once

class QByteArray;
class QString;

namespace Corvane::Command::Search {

/// Writes a downloaded file at path. The file there changes only once the new one is completely
/// on disk: an empty body or a failed write leaves it as it was. False on any failure, logged in
/// the name of the command class.
bool saveDownloadedFile(const QByteArray& body, const QString& path, const char* className);

}
