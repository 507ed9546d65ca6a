#pragma once

#include <QString>

namespace Corvane::Platform {

/// Starts a program detached from this process, with one optional parameter, in the current
/// working directory; on Windows through the shell, asking for elevation when plain start-up is
/// denied. Returns whether the program was started.
bool startProgram(const QString& path, const QString& parameter = QString());

}
