#include "app/confidi.h"

#include "core/logging.h"

namespace Corvane {

Confidi::Confidi(
    int id, const QString& companyName, int inCompilazione, int deliberataParzialeBanca)
    : id(id)
    , companyName(companyName)
    , inCompilazione(inCompilazione)
    , deliberataParzialeBanca(deliberataParzialeBanca)
{
    qCDebug(corvaneLog) << "Initialized with id:" << id << "companyName:" << companyName
                        << "inCompilazione: " << inCompilazione
                        << "deliberataParzialeBanca:" << deliberataParzialeBanca;
}

}
