// Feeds arbitrary bytes to the decoders of tessaro-server's request bodies: once as an
// application/x-www-form-urlencoded body whose "dati_t" field is a ticket document, once as the
// XML of a ticket document itself.
#include "formdata.h"
#include "tickethandlers.h"

#include <QByteArray>
#include <QXmlStreamWriter>

#include <cstdint>
#include <cstdlib>
#include <string>

using Corvane::Server::FormData;
using Corvane::Server::TicketHandlers;

namespace {

/// The document as a client writes it: each field Base64 of its UTF-8 text, the whole Base64.
std::string encodeDocument(const TicketHandlers::TicketDocument& document)
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("dati_ticket"));
    writer.writeStartElement(QStringLiteral("ticket"));
    const auto field = [&writer](const char* name, const std::string& value) {
        writer.writeTextElement(QString::fromLatin1(name),
            QString::fromLatin1(QByteArray::fromStdString(value).toBase64()));
    };
    field("ticket_id", document.ticketId);
    field("oggetto", document.subject);
    field("testo", document.text);
    field("email", document.email);
    writer.writeEndDocument();
    return xml.toBase64().toStdString();
}

bool operator==(const TicketHandlers::TicketDocument& a, const TicketHandlers::TicketDocument& b)
{
    return a.ticketId == b.ticketId && a.subject == b.subject && a.text == b.text
        && a.email == b.email;
}

void checkDocument(const std::string& encoded)
{
    TicketHandlers::TicketDocument document;
    if (!TicketHandlers::parseDocument(encoded, document))
        return;
    // Whatever was accepted must survive being written out and read again unchanged.
    TicketHandlers::TicketDocument again;
    if (!TicketHandlers::parseDocument(encodeDocument(document), again) || !(again == document))
        std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    // A decoded component never grows: "%XX" and "+" each give one byte.
    if (FormData::decodeComponent(input).size() > input.size())
        std::abort();
    const FormData form = FormData::parse(input);
    checkDocument(form.value("dati_t"));

    checkDocument(QByteArray::fromStdString(input).toBase64().toStdString());
    return 0;
}
