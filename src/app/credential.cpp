#include "app/credential.h"

#include "core/logging.h"

namespace Corvane {

Credential::Credential(const QString& cfUtente, const QString& cfConfidi, const QString& password)
    : cfUtente(cfUtente)
    , cfConfidi(cfConfidi)
    , password(password)
{
    qCDebug(corvaneLog) << "Initialized with cfUtente:" << cfUtente;
}

}
