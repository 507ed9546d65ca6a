#include "app/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the rcc entry point in the enclosing namespace, so it must be used
// outside Corvane.
static void initCorvaneResources() { Q_INIT_RESOURCE(resources); }

namespace Corvane {

void initResources() { initCorvaneResources(); }

}
