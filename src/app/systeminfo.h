#pragma once

namespace Corvane {

/// Writes the block of system information at debug level, one line per item.
void logSystemInfo();

}
