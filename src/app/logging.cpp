#include "app/logging.h"

Q_LOGGING_CATEGORY(corvaneLog, "default")
