#include "tickethandlers.h"

#include "database.h"
#include "resultcode.h"
#include "servercontext.h"
#include "textformat.h"
#include "xmlreply.h"

#include <QDateTime>
#include <QXmlStreamReader>

namespace Corvane::Server {

namespace {
    ServiceResponse answer(int code, const QString& description = {})
    {
        return ServiceResponse::xml(XmlReply(code, description));
    }

    struct TicketState {
        const char* name;
        const char* colour;
    };
    // Indexed by the state number of the client's filter (1 to 4).
    const TicketState ticketStates[] = { { "", "000000" }, { "Aperto", "C0392B" },
        { "In lavorazione", "D68910" }, { "Risolto", "1E8449" }, { "Chiuso", "7F8C8D" } };

    const TicketState& stateOf(std::int64_t state)
    {
        return ticketStates[state >= 1 && state <= 4 ? state : 0];
    }

    bool decodeStrict(const QByteArray& base64, QByteArray& bytes)
    {
        const auto result = QByteArray::fromBase64Encoding(
            base64.trimmed(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
        if (!result)
            return false;
        bytes = *result;
        return true;
    }
}

void TicketHandlers::registerWith(Router& router)
{
    using F = Router::Family;
    router.addAuthenticated(F::Home, "ticket", call(&TicketHandlers::list));
    router.addAuthenticated(F::Home, "ticket_dett", call(&TicketHandlers::detail));
    router.addAuthenticated(F::Home, "ticket_mail_utente",
        [this](const ServiceRequest&, const Session& session) { return userEmail(session); });
    router.addAuthenticated(F::Home, "ticketIns", call(&TicketHandlers::insert));
}

ServiceResponse TicketHandlers::list(const ServiceRequest& request, const Session& session)
{
    std::string state = TextFormat::trimmed(request.form.value("search_stato"));
    if (state == "0")
        state.clear();
    Statement rows
        = context.database().prepare("SELECT t.id, t.created_at, t.state, t.code, t.subject, "
                                     "COALESCE((SELECT MAX(m.created_at) FROM ticket_messages m "
                                     "WHERE m.ticket_id = t.id), t.created_at) "
                                     "FROM tickets t WHERE t.consortium_id = ?1"
                                     " AND (?2 = '' OR t.state = ?2)"
                                     " AND (?3 = '' OR substr(t.created_at, 1, 10) >= ?3)"
                                     " AND (?4 = '' OR substr(t.created_at, 1, 10) <= ?4)"
                                     " ORDER BY t.created_at DESC, t.id DESC");
    rows.bind(1, session.consortiumId)
        .bind(2, state)
        .bind(3, TextFormat::isoFromItalian(request.form.value("data_inizio")))
        .bind(4, TextFormat::isoFromItalian(request.form.value("data_fine")));
    XmlReply reply(ResultCode::Ok);
    while (rows.step()) {
        const TicketState& ticketState = stateOf(rows.integer(2));
        reply.addRecord({
            { "ticket_id", QString::number(rows.integer(0)) },
            { "data_inserimento_formattata", TextFormat::italianDateTime(rows.text(1)) },
            { "stato_colore", QString::fromLatin1(ticketState.colour) },
            { "codice", TextFormat::fromUtf8(rows.text(3)) },
            { "oggetto", TextFormat::fromUtf8(rows.text(4)) },
            { "data", TextFormat::italianDate(rows.text(5)) },
            { "stato", QString::fromUtf8(ticketState.name) },
        });
    }
    if (reply.recordCount() == 0)
        return answer(ResultCode::NoResult, QStringLiteral("Nessun ticket"));
    reply.setHeader("n_result", QString::number(reply.recordCount()));
    return ServiceResponse::xml(reply);
}

ServiceResponse TicketHandlers::detail(const ServiceRequest& request, const Session& session)
{
    Database& db = context.database();
    Statement ticket = db.prepare("SELECT id, code, subject, body, created_at, state FROM tickets "
                                  "WHERE id = ? AND consortium_id = ?");
    ticket.bind(1, TextFormat::trimmed(request.form.value("ticket"))).bind(2, session.consortiumId);
    if (!ticket.step())
        return answer(ResultCode::NoResult, QStringLiteral("Ticket non trovato"));
    XmlReply reply(ResultCode::Ok);
    reply.addRecord({
        { "ticket_id", QString::number(ticket.integer(0)) },
        { "codice", TextFormat::fromUtf8(ticket.text(1)) },
        { "oggetto", TextFormat::fromUtf8(ticket.text(2)) },
        { "testo", TextFormat::fromUtf8(ticket.text(3)) },
        { "utente_tipo", QStringLiteral("utente") },
        { "data_msg", TextFormat::italianDateTime(ticket.text(4)) },
        { "stato", QString::fromUtf8(stateOf(ticket.integer(5)).name) },
    });
    Statement messages = db.prepare("SELECT author_kind, body, created_at FROM ticket_messages "
                                    "WHERE ticket_id = ? ORDER BY created_at, id");
    messages.bind(1, ticket.integer(0));
    while (messages.step()) {
        reply.addRecord({
            { "testo", TextFormat::fromUtf8(messages.text(1)) },
            { "utente_tipo", TextFormat::fromUtf8(messages.text(0)) },
            { "data_msg", TextFormat::italianDateTime(messages.text(2)) },
        });
    }
    return ServiceResponse::xml(reply);
}

ServiceResponse TicketHandlers::userEmail(const Session& session)
{
    Statement user = context.database().prepare("SELECT email FROM users WHERE id = ?");
    user.bind(1, session.userId);
    if (!user.step())
        return answer(ResultCode::UnknownUser);
    XmlReply reply(ResultCode::Ok);
    reply.addRecord({ { "email", TextFormat::fromUtf8(user.text(0)) } });
    return ServiceResponse::xml(reply);
}

bool TicketHandlers::parseDocument(const std::string& encoded, TicketDocument& document)
{
    QByteArray xml;
    if (encoded.empty() || !decodeStrict(QByteArray::fromStdString(encoded), xml))
        return false;
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("dati_ticket"))
        return false;
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("ticket"))
        return false;
    bool hasTicketId = false;
    while (reader.readNextStartElement()) {
        const QString name = reader.name().toString();
        const QByteArray text = reader.readElementText().toUtf8();
        if (reader.hasError())
            return false;
        QByteArray value;
        if (!decodeStrict(text, value) || !TextFormat::isValidUtf8(value.toStdString()))
            return false;
        if (name == QLatin1String("ticket_id")) {
            document.ticketId = value.toStdString();
            hasTicketId = true;
        } else if (name == QLatin1String("oggetto")) {
            document.subject = value.toStdString();
        } else if (name == QLatin1String("testo")) {
            document.text = value.toStdString();
        } else if (name == QLatin1String("email")) {
            document.email = value.toStdString();
        }
    }
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError() && hasTicketId;
}

ServiceResponse TicketHandlers::insert(const ServiceRequest& request, const Session& session)
{
    TicketDocument document;
    const auto invalid = [] {
        return answer(
            ResultCode::RequestValidationFailed, QStringLiteral("Dati del ticket non validi"));
    };
    if (!parseDocument(request.form.value("dati_t"), document))
        return invalid();
    const std::string text = TextFormat::trimmed(document.text);
    // Limits count characters, as the client's form does, not UTF-8 bytes.
    if (text.empty() || TextFormat::fromUtf8(text).size() > 20000)
        return invalid();
    Database& db = context.database();
    const std::string now = QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
    Transaction transaction(db);
    if (!TextFormat::trimmed(document.ticketId).empty()) {
        Statement ticket = db.prepare("SELECT id FROM tickets WHERE id = ? AND consortium_id = ?");
        ticket.bind(1, TextFormat::trimmed(document.ticketId)).bind(2, session.consortiumId);
        if (!ticket.step())
            return answer(ResultCode::NoResult, QStringLiteral("Ticket non trovato"));
        const std::int64_t ticketId = ticket.integer(0);
        // An open statement at COMMIT keeps its read snapshot, and with it the write-ahead log,
        // from being checkpointed: every statement is done before the commit.
        ticket.reset();
        Statement message = db.prepare("INSERT INTO ticket_messages (ticket_id, author_kind, body, "
                                       "created_at) VALUES (?, 'utente', ?, ?)");
        message.bind(1, ticketId).bind(2, text).bind(3, now).run();
        transaction.commit();
        return answer(ResultCode::Ok);
    }

    const std::string subject = TextFormat::trimmed(document.subject);
    if (subject.empty() || TextFormat::fromUtf8(subject).size() > 200
        || document.email.size() > 120)
        return invalid();
    Statement next = db.prepare("SELECT COALESCE(MAX(id), 0) + 1 FROM tickets");
    next.step();
    const std::int64_t id = next.integer(0);
    next.reset();
    const QString code = QStringLiteral("TK-%1-%2")
                             .arg(QDate::currentDate().year())
                             .arg(id, 4, 10, QLatin1Char('0'));
    Statement ticket = db.prepare("INSERT INTO tickets (id, consortium_id, user_id, code, subject, "
                                  "body, notify_email, state, "
                                  "created_at) VALUES (?, ?, ?, ?, ?, ?, ?, 1, ?)");
    ticket.bind(1, id)
        .bind(2, session.consortiumId)
        .bind(3, session.userId)
        .bind(4, code.toStdString())
        .bind(5, subject)
        .bind(6, text)
        .bind(7, TextFormat::trimmed(document.email))
        .bind(8, now)
        .run();
    transaction.commit();
    XmlReply reply(ResultCode::Ok);
    reply.addRecord({ { "codice_ticket", code } });
    return ServiceResponse::xml(reply);
}

}
