#pragma once

#include <QString>

namespace Corvane {

/// Makes the file at `path` readable and writable by its owner only, creating it empty when it is
/// missing. Files that may hold a secret (the proxy password in "config.ini") or what the user
/// looked at (the log) go through here before they are written: QSettings and QSaveFile keep the
/// permissions of a file that exists, so the content never lands in a file others can read.
bool restrictToOwner(const QString& path);

}
