#pragma once

#include <QString>

namespace Corvane {

/// The program's start path, once its QApplication exists: names and version, resources, the
/// log, the update run, the single-instance guard and the flow manager, then the event loop.
/// Returns the exit code. The entry point calls it, and so does the start-up benchmark.
int runClient(const QString& version);

/// Where the program keeps "config.ini", "corvane2.log" and its other files named relative to
/// the working folder. A program whose own folder it may not write to (installed from a package)
/// moves its working folder to the per-user application-data folder, made owner-only; a portable
/// one (its folder writable) stays where it was started. Returns the working folder.
QString settleWorkingFolder(const QString& programFolder);

}
