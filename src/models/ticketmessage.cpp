#include "models/ticketmessage.h"

namespace Corvane {

TicketMessage::TicketMessage(
    const QString& text, const QString& userType, const QDateTime& dateTime, QObject* parent)
    : QObject(parent)
    , text(text)
    , userType(userType)
    , dateTime(dateTime)
{
}

}
