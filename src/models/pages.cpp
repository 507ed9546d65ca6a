#include "models/pages.h"

#include <QtGlobal>

namespace Corvane::Model {

int Pages::offset(int step) const
{
    // The counters come from the server: no sum of them may overflow.
    const qint64 last = qMax(total, 1) - 1;
    return static_cast<int>(qBound<qint64>(0, qint64(start) + step, last));
}

}
