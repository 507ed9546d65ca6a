#include "commands/insertticket.h"

#include "core/logging.h"
#include "models/ticket.h"
#include "protocol/xmlparser.h"

#include <QXmlStreamWriter>

namespace Corvane::Command {

InsertTicket::InsertTicket(
    const QString& text, const QString& subject, const QString& email, Model::Ticket* model)
    : email(email)
    , subject(subject)
    , text(text)
    , model(model)
{
}

InsertTicket::InsertTicket(const QString& text, const QString& ticketId, Model::Ticket* model)
    : ticketId(ticketId)
    , text(text)
    , model(model)
{
}

QString InsertTicket::getPath() const { return QStringLiteral("/corvane/v5/home/ticketIns"); }

QString InsertTicket::buildDocument() const
{
    QByteArray document;
    QXmlStreamWriter writer(&document);
    writer.setAutoFormatting(false);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("dati_ticket"));
    writer.writeStartElement(QStringLiteral("ticket"));
    writer.writeTextElement(QStringLiteral("ticket_id"),
        ticketId.isEmpty() ? QString() : XmlParser::encodeBase64(ticketId));
    writer.writeTextElement(QStringLiteral("oggetto"), XmlParser::encodeBase64(subject));
    writer.writeTextElement(QStringLiteral("testo"), XmlParser::encodeBase64(text));
    if (!email.isEmpty())
        writer.writeTextElement(QStringLiteral("email"), XmlParser::encodeBase64(email));
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return QString::fromUtf8(document);
}

QMap<QString, QString> InsertTicket::getParameters() const
{
    const QString encoded = XmlParser::encodeBase64(buildDocument());
    // What the user wrote stays out of the log: the ticket and the size say enough.
    qCDebug(corvaneLog) << metaObject()->className() << "sending"
                        << (ticketId.isEmpty() ? QStringLiteral("a new ticket")
                                               : QStringLiteral("a message for ticket ") + ticketId)
                        << "of" << encoded.size() << "encoded characters";
    return { { QStringLiteral("dati_t"), encoded } };
}

void InsertTicket::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    qCDebug(corvaneLog) << metaObject()->className() << "Ticket inserted";
    if (!dataRows.isEmpty())
        ticketCode = dataRows.first().value(QStringLiteral("codice_ticket"));
    // A message's reply carries no code; a new ticket's must.
    if (ticketId.isEmpty())
        model->manageTicketInserted(this);
    else
        model->manageMessageInserted(this);
}

void InsertTicket::useFailure(const QString& code, const QString& description)
{
    model->manageInsertionRefused(this, code, description);
}

}
