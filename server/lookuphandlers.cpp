#include "lookuphandlers.h"

#include "database.h"
#include "resultcode.h"
#include "servercontext.h"
#include "textformat.h"
#include "xmlreply.h"

namespace Corvane::Server {

namespace {
    ServiceResponse listReply(XmlReply& reply)
    {
        if (reply.recordCount() == 0)
            return ServiceResponse::xml(
                XmlReply(ResultCode::NoResult, QStringLiteral("Nessun risultato")));
        return ServiceResponse::xml(reply);
    }
}

void LookupHandlers::registerWith(Router& router)
{
    using F = Router::Family;
    router.addAuthenticated(F::Home, "banche",
        [this](const ServiceRequest&, const Session& session) { return banks(session); });
    router.addAuthenticated(
        F::Home, "stati", [this](const ServiceRequest&, const Session&) { return states(); });
    router.addPublic(F::Home, "province",
        [this](const ServiceRequest&, const Session&) { return provinces(false); });
    router.addPublic(F::Home, "province_sigla",
        [this](const ServiceRequest&, const Session&) { return provinces(true); });
    router.addPublic(F::Search, "tipo_indirizzo",
        [this](const ServiceRequest&, const Session&) { return addressTypes(); });
    router.addPublic(F::Search, "comuni",
        [this](const ServiceRequest& request, const Session&) { return municipalities(request); });
    router.addPublic(F::Search, "CAP",
        [this](const ServiceRequest& request, const Session&) { return postalCode(request); });
}

ServiceResponse LookupHandlers::banks(const Session& session)
{
    Statement query = context.database().prepare(
        "SELECT b.abi, b.name FROM user_banks ub JOIN banks b ON b.abi = ub.abi "
        "WHERE ub.user_id = ? ORDER BY b.abi");
    query.bind(1, session.userId);
    XmlReply reply(ResultCode::Ok);
    while (query.step()) {
        const QString abi = TextFormat::fromUtf8(query.text(0));
        reply.addValue(abi, abi + QStringLiteral(" - ") + TextFormat::fromUtf8(query.text(1)));
    }
    return listReply(reply);
}

ServiceResponse LookupHandlers::states()
{
    Statement query = context.database().prepare("SELECT id, name FROM states ORDER BY id");
    XmlReply reply(ResultCode::Ok);
    reply.setHeader("stato_id_in_compilazione", QStringLiteral("1"));
    reply.setHeader("stato_id_deliberata_parziale_banca", QStringLiteral("4"));
    while (query.step())
        reply.addValue(QString::number(query.integer(0)), TextFormat::fromUtf8(query.text(1)));
    return listReply(reply);
}

ServiceResponse LookupHandlers::provinces(bool initialsOnly)
{
    Statement query = context.database().prepare("SELECT code, name FROM provinces ORDER BY code");
    XmlReply reply(ResultCode::Ok);
    while (query.step()) {
        const QString code = TextFormat::fromUtf8(query.text(0));
        reply.addValue(code, initialsOnly ? code : TextFormat::fromUtf8(query.text(1)));
    }
    return listReply(reply);
}

ServiceResponse LookupHandlers::addressTypes()
{
    XmlReply reply(ResultCode::Ok);
    reply.addValue(QStringLiteral("1"), QStringLiteral("Sede legale"));
    reply.addValue(QStringLiteral("2"), QStringLiteral("Sede operativa"));
    reply.addValue(QStringLiteral("3"), QStringLiteral("Unità locale"));
    reply.addValue(QStringLiteral("4"), QStringLiteral("Domicilio fiscale"));
    return ServiceResponse::xml(reply);
}

ServiceResponse LookupHandlers::municipalities(const ServiceRequest& request)
{
    Statement query = context.database().prepare(
        "SELECT id, name FROM municipalities WHERE province = ? ORDER BY name");
    query.bind(1, TextFormat::trimmed(request.form.value("prov")));
    XmlReply reply(ResultCode::Ok);
    while (query.step())
        reply.addValue(QString::number(query.integer(0)), TextFormat::fromUtf8(query.text(1)));
    return listReply(reply);
}

ServiceResponse LookupHandlers::postalCode(const ServiceRequest& request)
{
    Statement query = context.database().prepare("SELECT cap FROM municipalities WHERE id = ?");
    query.bind(1, TextFormat::trimmed(request.form.value("comune_id")));
    XmlReply reply(ResultCode::Ok);
    if (query.step())
        reply.addRecord({ { "cap", TextFormat::fromUtf8(query.text(0)) } });
    return listReply(reply);
}

}
