#pragma once

#include <QString>

namespace Corvane {

/// The program's start path, once its QApplication exists: names and version, resources, the
/// log, the update run, the single-instance guard and the flow manager, then the event loop.
/// Returns the exit code. The entry point calls it, and so does the start-up benchmark.
int runClient(const QString& version);

}
