#include "core/logging.h"

Q_LOGGING_CATEGORY(corvaneLog, "default")
