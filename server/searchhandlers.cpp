#include "searchhandlers.h"

#include "amortizationplan.h"
#include "database.h"
#include "pdfdocument.h"
#include "resultcode.h"
#include "servercontext.h"
#include "textformat.h"
#include "xmlreply.h"

#include <QDate>
#include <QTextCodec>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace Corvane::Server {

namespace {
    ServiceResponse noResult()
    {
        return ServiceResponse::xml(
            XmlReply(ResultCode::NoResult, QStringLiteral("Nessun risultato")));
    }

    /// The reports of a consortium at a bank: by bank name, within a period of report dates.
    const char* const reportQuery
        = "SELECT r.file_id, r.id, r.abi, b.name, r.name, r.report_date, r.file_name, r.empty, "
          "r.created_at FROM reports r JOIN banks b ON b.abi = r.abi "
          "WHERE r.consortium_id = ?1 AND r.abi = ?2"
          " AND (?3 = '' OR b.name LIKE ?3 ESCAPE '\\')"
          " AND (?4 = '' OR r.report_date >= ?4)"
          " AND (?5 = '' OR r.report_date <= ?5)"
          " ORDER BY r.report_date DESC, r.id DESC";

    /// Binds the form's field, the user's consortium and the bank of the request, in that order,
    /// and steps to the one row they select; false when there is none.
    bool stepToOwnRow(Statement& statement, const ServiceRequest& request, const Session& session,
        const char* field)
    {
        statement.bind(1, TextFormat::trimmed(request.form.value(field)))
            .bind(2, session.consortiumId)
            .bind(3, request.abi);
        return statement.step();
    }

    /// The row's columns in order under keys: text as stored, but for the columns given a value
    /// of their own (numbers, dates).
    Record columnsRecord(const Statement& row, std::initializer_list<const char*> keys,
        const std::map<int, QString>& own = {})
    {
        Record record;
        int column = 0;
        for (const char* key : keys) {
            const auto given = own.find(column);
            record.emplace_back(
                key, given != own.end() ? given->second : TextFormat::fromUtf8(row.text(column)));
            ++column;
        }
        return record;
    }

    // Sort columns by the client's order keys: the only way an order reaches the SQL text.
    const std::map<std::string, std::string> companyOrders {
        { "anag_id", "c.id" },
        { "ragsoc", "c.name COLLATE NOCASE" },
        { "comune", "c.city COLLATE NOCASE" },
        { "provincia", "c.province" },
        { "cf", "c.fiscal_code" },
        { "pi", "c.vat_number" },
    };
    const std::map<std::string, std::string> positionOrders {
        { "numero", "p.lcr" },
        { "impresa", "c.name COLLATE NOCASE" },
        { "banca", "b.name COLLATE NOCASE" },
        { "delib", "p.consortium_date" },
        { "ldc", "p.form_code" },
        { "importo", "p.amount_cents" },
        { "perf", "p.disbursed_on" },
        { "garnum", "p.guarantee_number" },
        { "garperc", "p.guarantee_percent" },
        { "stato", "s.name" },
    };

    std::string orderBy(const std::map<std::string, std::string>& orders,
        const ServiceRequest& request, const std::string& defaultOrder, const std::string& tieBreak)
    {
        const auto it = orders.find(request.form.value("ord"));
        if (it == orders.end())
            return " ORDER BY " + defaultOrder + ", " + tieBreak + " DESC";
        const char* direction = request.form.value("dir") == "0" ? " DESC" : " ASC";
        return " ORDER BY " + it->second + direction + ", " + tieBreak + direction;
    }

    struct Page {
        int total = 0;
        int pages = 0;
        int index = 0;
    };

    Page page(int total, const std::string& startText)
    {
        Page result;
        result.total = total;
        result.pages = (total + SearchHandlers::pageSize - 1) / SearchHandlers::pageSize;
        bool ok = false;
        const int start = TextFormat::fromUtf8(TextFormat::trimmed(startText)).toInt(&ok);
        result.index = ok && start > 0 ? start : 0;
        if (result.pages > 0 && result.index >= result.pages)
            result.index = result.pages - 1;
        return result;
    }

    void setPageHeader(XmlReply& reply, const Page& page)
    {
        reply.setHeader("start", QString::number(page.index));
        reply.setHeader("cur_pag", QString::number(page.index + 1));
        reply.setHeader("tot_pag", QString::number(page.pages));
        reply.setHeader("risultati", QString::number(page.total));
    }

    // "" when the filter is empty, otherwise its LIKE pattern.
    std::string filterPattern(const ServiceRequest& request, const char* field)
    {
        const std::string value = TextFormat::trimmed(request.form.value(field));
        return value.empty() ? std::string() : TextFormat::containsPattern(value);
    }

    std::string filterText(const ServiceRequest& request, const char* field)
    {
        return TextFormat::trimmed(request.form.value(field));
    }

    std::string filterDate(const ServiceRequest& request, const char* field)
    {
        return TextFormat::isoFromItalian(request.form.value(field));
    }

    /// A filter of a list search: its form field, how the field is read ("" for no filter), and
    /// the SQL condition the value imposes, written with "?" for the value.
    struct Filter {
        const char* field;
        std::string (*read)(const ServiceRequest&, const char*);
        const char* condition;
    };

    /// A list search read one page at a time: its FROM and WHERE clause, whose "?1" is the
    /// consortium and "?2" the bank, and the filters that narrow it.
    struct PagedQuery {
        std::string from;
        std::vector<Filter> filters;
    };

    struct PagedRows {
        Page page;
        /// The count, stepped: column 0 is the number of matches, the extra columns follow.
        std::unique_ptr<Statement> count;
        /// The asked page's rows, ready to step.
        std::unique_ptr<Statement> rows;
    };

    /// Counts the matches of query and prepares the page the request's "start" asks for, in
    /// the given order; nothing when nothing matches.
    std::optional<PagedRows> pagedRows(Database& db, const ServiceRequest& request,
        const Session& session, const PagedQuery& query, const std::string& countColumns,
        const std::string& columns, const std::string& order)
    {
        std::string where = query.from;
        int parameter = 2;
        for (const Filter& filter : query.filters) {
            const std::string name = "?" + std::to_string(++parameter);
            std::string condition = filter.condition;
            for (std::size_t at = condition.find('?'); at != std::string::npos;
                 at = condition.find('?', at + name.size()))
                condition.replace(at, 1, name);
            where += " AND (" + name + " = '' OR " + condition + ")";
        }
        const auto bind = [&](Statement& statement) {
            statement.bind(1, session.consortiumId).bind(2, request.abi);
            for (std::size_t i = 0; i < query.filters.size(); ++i) {
                const Filter& filter = query.filters.at(i);
                statement.bind(static_cast<int>(i) + 3, filter.read(request, filter.field));
            }
        };
        PagedRows found;
        found.count
            = std::make_unique<Statement>(db.prepare("SELECT COUNT(*)" + countColumns + where));
        bind(*found.count);
        found.count->step();
        found.page = page(static_cast<int>(found.count->integer(0)), request.form.value("start"));
        if (found.page.total == 0)
            return std::nullopt;
        found.rows = std::make_unique<Statement>(
            db.prepare("SELECT " + columns + where + order + " LIMIT ?"
                + std::to_string(parameter + 1) + " OFFSET ?" + std::to_string(parameter + 2)));
        bind(*found.rows);
        found.rows->bind(parameter + 1, SearchHandlers::pageSize)
            .bind(parameter + 2, found.page.index * SearchHandlers::pageSize);
        return found;
    }

    QString yesNo(bool value) { return value ? QStringLiteral("SI") : QStringLiteral("NO"); }

    QString sn(bool value) { return value ? QStringLiteral("S") : QStringLiteral("N"); }

    QString percent(std::int64_t value) { return QString::number(value) + QStringLiteral(",00"); }

    QString sortableDate(const std::string& iso)
    {
        return TextFormat::fromUtf8(iso.substr(0, 10)).remove(QLatin1Char('-'));
    }

    QString dueDate(const std::string& iso, int months)
    {
        const QDate date = QDate::fromString(TextFormat::fromUtf8(iso.substr(0, 10)), Qt::ISODate);
        return date.isValid() ? date.addMonths(months).toString(QStringLiteral("dd/MM/yyyy"))
                              : QString();
    }

    const char* const positionColumns
        = "p.id, p.position_number, p.lcr, c.name, b.name, p.consortium_date, p.form_code, "
          "p.form_name, p.amount_cents, p.disbursed_on, p.guarantee_number, p.guarantee_percent, "
          "s.name, s.short_name, s.colour, p.state_id, p.substate_id, p.undeliberated, p.abi, "
          "c.fiscal_code, c.id, c.address, c.vat_number, p.branch, p.qrv_code, p.bank_date, "
          "p.closed_on, p.closing_kind, p.loan_number, p.months, p.rate_bp";
    const char* const positionJoins
        = " FROM positions p JOIN companies c ON c.id = p.company_id "
          "JOIN banks b ON b.abi = p.abi JOIN states s ON s.id = p.state_id";
    enum PositionColumn {
        PId,
        PNumber,
        PLcr,
        PCompany,
        PBank,
        PConsortiumDate,
        PFormCode,
        PFormName,
        PAmount,
        PDisbursed,
        PGuaranteeNumber,
        PGuaranteePercent,
        PState,
        PStateShort,
        PColour,
        PStateId,
        PSubstate,
        PUndeliberated,
        PAbi,
        PCompanyFiscalCode,
        PCompanyId,
        PAddress,
        PVat,
        PBranch,
        PQrv,
        PBankDate,
        PClosedOn,
        PClosingKind,
        PLoanNumber,
        PMonths,
        PRate
    };

    Record positionRow(Statement& row)
    {
        const QString company = TextFormat::fromUtf8(row.text(PCompany));
        return {
            { "num_delib_c", TextFormat::fromUtf8(row.text(PLcr)) },
            { "i_ragsoc", company },
            { "b_ragsoc", TextFormat::fromUtf8(row.text(PBank)) },
            { "data_delib_c", TextFormat::italianDate(row.text(PConsortiumDate)) },
            { "codice_ft", TextFormat::fromUtf8(row.text(PFormCode)) },
            { "importo", TextFormat::amount(row.integer(PAmount)) },
            { "data_perf", TextFormat::italianDate(row.text(PDisbursed)) },
            { "gar_num", TextFormat::fromUtf8(row.text(PGuaranteeNumber)) },
            { "gar_perc", percent(row.integer(PGuaranteePercent)) },
            { "stato", TextFormat::fromUtf8(row.text(PState)) },
            { "pratica_id", QString::number(row.integer(PNumber)) },
            { "pratica_forma_tecnica_id", QString::number(row.integer(PId)) },
            { "codice_descr_ft",
                TextFormat::fromUtf8(row.text(PFormCode) + " - " + row.text(PFormName)) },
            { "pratica_ft_stato_id", QString::number(row.integer(PStateId)) },
            { "pratica_ft_sottostato_id", QString::number(row.integer(PSubstate)) },
            { "data_delib_c_ord", sortableDate(row.text(PConsortiumDate)) },
            { "data_perf_ord", sortableDate(row.text(PDisbursed)) },
            { "erogata_non_deliberata", sn(row.integer(PUndeliberated) != 0) },
            { "abi", TextFormat::fromUtf8(row.text(PAbi)) },
            { "ragsoc_completa",
                company + QStringLiteral(" (") + TextFormat::fromUtf8(row.text(PCompanyFiscalCode))
                    + QLatin1Char(')') },
            { "banca_abi_id", TextFormat::fromUtf8(row.text(PAbi)) },
            { "stato_breve", TextFormat::fromUtf8(row.text(PStateShort)) },
            { "stato_colore", TextFormat::fromUtf8(row.text(PColour)) },
            { "stato_id", QString::number(row.integer(PStateId)) },
            { "sottostato_id", QString::number(row.integer(PSubstate)) },
        };
    }

    // Finds one technical form of the session's consortium at the request's bank.
    std::optional<Statement> findPosition(Database& db, const ServiceRequest& request,
        const Session& session, const std::string& idField)
    {
        std::optional<Statement> position(
            db.prepare(std::string("SELECT ") + positionColumns + positionJoins
                + " WHERE p.id = ? AND p.lcr = ? AND p.abi = ? AND p.consortium_id = ?"));
        position->bind(1, TextFormat::trimmed(request.form.value(idField)))
            .bind(2, TextFormat::trimmed(request.form.value("lcr")))
            .bind(3, request.abi)
            .bind(4, session.consortiumId);
        if (!position->step())
            position.reset();
        return position;
    }
}

void SearchHandlers::registerWith(Router& router)
{
    using F = Router::Family;
    const auto add
        = [&](const char* verb,
              ServiceResponse (SearchHandlers::*method)(const ServiceRequest&, const Session&)) {
              router.addAuthenticated(F::Search, verb,
                  [this, method](const ServiceRequest& request, const Session& session) {
                      if (!isBankEnabled(session, request.abi))
                          return noResult();
                      return (this->*method)(request, session);
                  });
          };
    add("lista_imprese", &SearchHandlers::companies);
    add("pratiche", &SearchHandlers::positions);
    add("report", &SearchHandlers::reports);
    add("ft_piano_amm", &SearchHandlers::amortization);
    add("dett_pratica", &SearchHandlers::positionDetail);
    add("ft_collegate", &SearchHandlers::relatedForms);
    add("i_anag", &SearchHandlers::companyRecord);
    add("download_report", &SearchHandlers::downloadReport);
    add("download_posizione", &SearchHandlers::downloadPosition);
}

bool SearchHandlers::isBankEnabled(const Session& session, const std::string& abi) const
{
    Statement query
        = context.database().prepare("SELECT 1 FROM user_banks WHERE user_id = ? AND abi = ?");
    query.bind(1, session.userId).bind(2, abi);
    return query.step();
}

ServiceResponse SearchHandlers::companies(const ServiceRequest& request, const Session& session)
{
    const PagedQuery query { " FROM companies c JOIN consortia k ON k.id = c.consortium_id"
                             " WHERE c.consortium_id = ?1 AND EXISTS (SELECT 1 FROM positions p"
                             " WHERE p.company_id = c.id AND p.abi = ?2)",
        {
            { "search_li_ragsoc", filterPattern, "casefold(c.name) LIKE casefold(?) ESCAPE '\\'" },
            { "search_li_comune", filterPattern, "casefold(c.city) LIKE casefold(?) ESCAPE '\\'" },
            { "search_li_provincia", filterText, "c.province = upper(?)" },
            { "search_li_picf", filterPattern,
                "c.fiscal_code LIKE ? ESCAPE '\\' OR c.vat_number LIKE ? ESCAPE '\\'" },
        } };
    std::optional<PagedRows> found = pagedRows(context.database(), request, session, query,
        ", COALESCE(MAX(c.successor_id IS NOT NULL OR c.predecessor_id IS NOT NULL), 0)",
        "c.id, c.name, c.city, c.province, c.fiscal_code, c.vat_number, k.name",
        orderBy(companyOrders, request, "c.name COLLATE NOCASE ASC", "c.id"));
    if (!found)
        return noResult();
    Statement& rows = *found->rows;
    XmlReply reply(ResultCode::Ok);
    setPageHeader(reply, found->page);
    reply.setHeader("fusioni_presenti",
        found->count->integer(1) != 0 ? QStringLiteral("S") : QStringLiteral("N"));
    while (rows.step()) {
        reply.addRecord(columnsRecord(rows,
            { "anag_id", "ragione_sociale", "comune", "provincia", "cod_fiscale", "partita_iva",
                "ragsoc_C" },
            { { 0, QString::number(rows.integer(0)) } }));
    }
    return ServiceResponse::xml(reply);
}

ServiceResponse SearchHandlers::positions(const ServiceRequest& request, const Session& session)
{
    const PagedQuery query { std::string(positionJoins)
            + " WHERE p.consortium_id = ?1 AND p.abi = ?2",
        {
            { "search_lp_impr", filterPattern, "casefold(c.name) LIKE casefold(?) ESCAPE '\\'" },
            { "search_lp_numero", filterPattern, "p.lcr LIKE ? ESCAPE '\\'" },
            { "search_lp_delibc_dal", filterDate, "p.consortium_date >= ?" },
            { "search_lp_delibc_al", filterDate, "p.consortium_date <= ?" },
            { "search_lp_fin", filterPattern, "p.loan_number LIKE ? ESCAPE '\\'" },
            { "search_lp_banca", filterPattern, "casefold(b.name) LIKE casefold(?) ESCAPE '\\'" },
            { "search_lp_stato", filterText, "p.state_id = ?" },
        } };
    Database& db = context.database();
    std::optional<PagedRows> found = pagedRows(db, request, session, query, {}, positionColumns,
        orderBy(positionOrders, request, "p.consortium_date DESC", "p.id"));
    if (!found)
        return noResult();

    Statement recent = db.prepare(
        "SELECT COUNT(*) FROM positions p JOIN users u ON u.id = ?1 WHERE p.consortium_id = ?2 "
        "AND p.abi = ?3 AND p.updated_at > COALESCE(u.previous_access, '')");
    recent.bind(1, session.userId).bind(2, session.consortiumId).bind(3, request.abi);
    recent.step();

    XmlReply reply(ResultCode::Ok);
    setPageHeader(reply, found->page);
    reply.setHeader("pratiche_da_ultimo_accesso", QString::number(recent.integer(0)));
    while (found->rows->step())
        reply.addRecord(positionRow(*found->rows));
    return ServiceResponse::xml(reply);
}

ServiceResponse SearchHandlers::reports(const ServiceRequest& request, const Session& session)
{
    Statement rows = context.database().prepare(reportQuery);
    rows.bind(1, session.consortiumId)
        .bind(2, request.abi)
        .bind(3, filterPattern(request, "search_lp_banca"))
        .bind(4, TextFormat::isoFromItalian(request.form.value("data_inizio")))
        .bind(5, TextFormat::isoFromItalian(request.form.value("data_fine")));
    XmlReply reply(ResultCode::Ok);
    while (rows.step()) {
        reply.addRecord(columnsRecord(rows,
            { "report_file_id", "report_id", "banca_abi_id", "ragione_sociale", "nome_report",
                "data_report_formattata", "filename", "vuoto", "data_creazione_formattata" },
            { { 0, QString::number(rows.integer(0)) }, { 1, QString::number(rows.integer(1)) },
                { 5, TextFormat::italianDate(rows.text(5)) },
                { 7, rows.integer(7) != 0 ? QStringLiteral("1") : QStringLiteral("0") },
                { 8, TextFormat::italianDateTime(rows.text(8)) } }));
    }
    if (reply.recordCount() == 0)
        return noResult();
    reply.setHeader("risultati", QString::number(reply.recordCount()));
    return ServiceResponse::xml(reply);
}

ServiceResponse SearchHandlers::amortization(const ServiceRequest& request, const Session& session)
{
    const std::optional<Statement> position
        = findPosition(context.database(), request, session, "pratica_ft_id");
    if (!position || position->isNull(PDisbursed)) {
        return noResult();
    }
    const QDate disbursed
        = QDate::fromString(TextFormat::fromUtf8(position->text(PDisbursed)), Qt::ISODate);
    const bool closed = position->integer(PStateId) == 6;
    const QDate today = QDate::currentDate();
    const auto plan = AmortizationPlan::french(position->integer(PAmount),
        static_cast<int>(position->integer(PRate)), static_cast<int>(position->integer(PMonths)),
        disbursed.addMonths(1));
    XmlReply reply(ResultCode::Ok);
    reply.setHeader("n_result", QString::number(plan.size()));
    for (const auto& instalment : plan) {
        const bool paid = closed || instalment.dueDate <= today;
        reply.addRecord({
            { "rata_pagata", sn(paid) },
            { "numero_rata", QString::number(instalment.number) },
            { "rata", TextFormat::amount(instalment.payment) },
            { "quota_capitale", TextFormat::amount(instalment.principal) },
            { "quota_interesse", TextFormat::amount(instalment.interest) },
            { "debito_residuo", TextFormat::amount(instalment.remainingDebt) },
            { "capitale_rimborsato", TextFormat::amount(instalment.principalRepaid) },
            { "interessi_pagati", TextFormat::amount(instalment.interestPaid) },
            { "data_scadenza", instalment.dueDate.toString(QStringLiteral("dd/MM/yyyy")) },
            { "data_pagamento",
                paid ? instalment.dueDate.toString(QStringLiteral("dd/MM/yyyy")) : QString() },
        });
    }
    return ServiceResponse::xml(reply);
}

ServiceResponse SearchHandlers::positionDetail(
    const ServiceRequest& request, const Session& session)
{
    const std::optional<Statement> p
        = findPosition(context.database(), request, session, "pratica_ft_id");
    if (!p)
        return noResult();
    const int state = static_cast<int>(p->integer(PStateId));
    const bool consortiumStage = state >= 2 && state <= 7;
    const bool bankStage = state >= 3 && state <= 6;
    const bool disbursedStage = state == 5 || state == 6;
    const bool closedStage = state == 6;
    const std::int64_t amount = p->integer(PAmount);
    // A partial bank resolution grants less than the consortium did.
    const std::int64_t bankAmount = state == 4 ? amount * 7 / 10 : amount;
    const int months = static_cast<int>(p->integer(PMonths));
    const QString lcr = TextFormat::fromUtf8(p->text(PLcr));
    const QString percentText = percent(p->integer(PGuaranteePercent));
    const QString guarantee = TextFormat::fromUtf8(p->text(PGuaranteeNumber));
    const auto when
        = [](bool present, const QString& value) { return present ? value : QString(); };

    XmlReply reply(ResultCode::Ok);
    reply.addRecord({
        { "impresa_anagrafica_id", QString::number(p->integer(PCompanyId)) },
        { "impresa_rag_soc", TextFormat::fromUtf8(p->text(PCompany)) },
        { "indirizzo", TextFormat::fromUtf8(p->text(PAddress)) },
        { "cod_fiscale", TextFormat::fromUtf8(p->text(PCompanyFiscalCode)) },
        { "partita_iva", TextFormat::fromUtf8(p->text(PVat)) },
        { "banca_denominazione", TextFormat::fromUtf8(p->text(PBank)) },
        { "sportello", TextFormat::fromUtf8(p->text(PBranch)) },
        { "codice_ft", TextFormat::fromUtf8(p->text(PFormCode) + " - " + p->text(PFormName)) },
        { "codice_qrv", TextFormat::fromUtf8(p->text(PQrv)) },
        { "data_delib_c", TextFormat::italianDate(p->text(PConsortiumDate)) },
        { "gar_perc", percentText },
        { "num_delib_c", lcr },
        { "importo", TextFormat::amount(amount) },
        { "data_perf", TextFormat::italianDate(p->text(PDisbursed)) },
        { "pratica_id", QString::number(p->integer(PNumber)) },
        { "erogata_non_deliberata", sn(p->integer(PUndeliberated) != 0) },
        { "stato", TextFormat::fromUtf8(p->text(PState)) },
        { "DC_num", when(consortiumStage, QStringLiteral("DC-") + lcr) },
        { "DC_presente", yesNo(consortiumStage) },
        { "DC_importo", when(consortiumStage, TextFormat::amount(amount)) },
        { "DC_scadenza", when(consortiumStage, dueDate(p->text(PConsortiumDate), months)) },
        { "DC_gar_num", when(consortiumStage, guarantee) },
        { "DC_gar_perc", when(consortiumStage, percentText) },
        { "DC_data", when(consortiumStage, TextFormat::italianDate(p->text(PConsortiumDate))) },
        { "DB_num", when(bankStage, QStringLiteral("DB-") + lcr) },
        { "DB_presente", yesNo(bankStage) },
        { "DB_importo", when(bankStage, TextFormat::amount(bankAmount)) },
        { "DB_data", when(bankStage, TextFormat::italianDate(p->text(PBankDate))) },
        { "DB_scadenza", when(bankStage, dueDate(p->text(PBankDate), months)) },
        { "DB_lcr", when(bankStage, lcr) },
        { "PE_presente", yesNo(disbursedStage) },
        { "PE_data_erog", when(disbursedStage, TextFormat::italianDate(p->text(PDisbursed))) },
        { "PE_data_scad", when(disbursedStage, dueDate(p->text(PDisbursed), months)) },
        { "PE_numero", when(disbursedStage, TextFormat::fromUtf8(p->text(PLoanNumber))) },
        { "PE_importo", when(disbursedStage, TextFormat::amount(bankAmount)) },
        { "ES_presente", yesNo(closedStage) },
        { "ES_data_conclusione", when(closedStage, TextFormat::italianDate(p->text(PClosedOn))) },
        { "ES_tipo", when(closedStage, TextFormat::fromUtf8(p->text(PClosingKind))) },
        { "deliberabileC", sn(state == 1) },
        { "chiudibileC", sn(state == 5) },
    });
    return ServiceResponse::xml(reply);
}

ServiceResponse SearchHandlers::relatedForms(const ServiceRequest& request, const Session& session)
{
    Database& db = context.database();
    const std::optional<Statement> position = findPosition(db, request, session, "pratica_ft_id");
    if (!position)
        return noResult();
    Statement related = db.prepare(
        "SELECT p.id, p.form_code, p.form_name, p.lcr, p.amount_cents FROM positions p "
        "WHERE p.position_number = ? AND p.consortium_id = ? AND p.id <> ? ORDER BY p.id");
    related.bind(1, position->integer(PNumber))
        .bind(2, session.consortiumId)
        .bind(3, position->integer(PId));
    XmlReply reply(ResultCode::Ok);
    while (related.step()) {
        reply.addRecord({
            { "ft_descr",
                QStringLiteral(
                    "La pratica comprende anche la forma tecnica %1 - %2 (LCR %3, importo %4 €)")
                    .arg(TextFormat::fromUtf8(related.text(1)),
                        TextFormat::fromUtf8(related.text(2)),
                        TextFormat::fromUtf8(related.text(3)),
                        TextFormat::amount(related.integer(4))) },
            { "pratica_forma_tecnica_id", QString::number(related.integer(0)) },
        });
    }
    return reply.recordCount() == 0 ? noResult() : ServiceResponse::xml(reply);
}

ServiceResponse SearchHandlers::companyRecord(const ServiceRequest& request, const Session& session)
{
    // Like the searches: only companies with a position at the bank of the request, and the
    // records merged into or out of one, which its record links to.
    Statement company = context.database().prepare(
        "SELECT name, address, fiscal_code, "
        "vat_number, phone, fax, email, founded, cciaa, rae, sae, register, kind, sector, "
        "activity, predecessor_id, successor_id, replaced_on FROM companies c WHERE c.id = ? AND "
        "c.consortium_id = ? AND EXISTS (SELECT 1 FROM positions p WHERE p.abi = ? AND "
        "p.company_id IN (c.id, c.predecessor_id, c.successor_id))");
    if (!stepToOwnRow(company, request, session, "i_anag"))
        return noResult();
    const auto optionalId = [&](int column) {
        return company.isNull(column) ? QString() : QString::number(company.integer(column));
    };
    XmlReply reply(ResultCode::Ok);
    reply.addRecord(columnsRecord(company,
        { "ragione_sociale", "indirizzo", "cod_fiscale", "partita_iva", "telefono", "fax", "email",
            "data_costituzione", "cciaa", "rae", "sae", "albo_ruolo", "impresa_tipo",
            "impresa_settore_merceologico", "impresa_attivita", "anag_prec", "anag_succ",
            "data_sostituzione" },
        { { 7, TextFormat::italianDate(company.text(7)) }, { 15, optionalId(15) },
            { 16, optionalId(16) }, { 17, TextFormat::italianDate(company.text(17)) } }));
    return ServiceResponse::xml(reply);
}

ServiceResponse SearchHandlers::downloadReport(
    const ServiceRequest& request, const Session& session)
{
    Database& db = context.database();
    Statement report = db.prepare("SELECT r.name, r.report_date, r.empty, b.name FROM reports r "
                                  "JOIN banks b ON b.abi = r.abi "
                                  "WHERE r.file_id = ? AND r.consortium_id = ? AND r.abi = ?");
    if (!stepToOwnRow(report, request, session, "file"))
        return noResult();
    if (report.integer(2) != 0)
        return ServiceResponse::file(std::string(), "text/csv");

    QString csv
        = QStringLiteral("Report;%1\nBanca;%2\nData;%3\n\nLCR;Impresa;Importo;Stato\n")
              .arg(TextFormat::fromUtf8(report.text(0)), TextFormat::fromUtf8(report.text(3)),
                  TextFormat::italianDate(report.text(1)));
    Statement rows = db.prepare(std::string("SELECT ") + positionColumns + positionJoins
        + " WHERE p.abi = ? AND p.consortium_id = ? AND p.consortium_date <= ? "
          "ORDER BY p.consortium_date DESC, p.id DESC LIMIT 25");
    rows.bind(1, request.abi).bind(2, session.consortiumId).bind(3, report.text(1));
    while (rows.step()) {
        csv += TextFormat::fromUtf8(rows.text(PLcr)) + QLatin1Char(';')
            + TextFormat::fromUtf8(rows.text(PCompany)) + QLatin1Char(';')
            + TextFormat::amount(rows.integer(PAmount)) + QLatin1Char(';')
            + TextFormat::fromUtf8(rows.text(PState)) + QLatin1Char('\n');
    }
    // Spreadsheets on the client's platform open CSV files in the Windows code page.
    static QTextCodec* const codec = QTextCodec::codecForName("Windows-1252");
    return ServiceResponse::file(codec->fromUnicode(csv).toStdString(), "text/csv");
}

ServiceResponse SearchHandlers::downloadPosition(
    const ServiceRequest& request, const Session& session)
{
    const std::optional<Statement> p = findPosition(context.database(), request, session, "pft_id");
    if (!p)
        return noResult();
    const QStringList lines {
        QStringLiteral("Codice QRV: ") + TextFormat::fromUtf8(p->text(PQrv)),
        QStringLiteral("LCR: ") + TextFormat::fromUtf8(p->text(PLcr)),
        QStringLiteral("Impresa: ") + TextFormat::fromUtf8(p->text(PCompany)),
        QStringLiteral("Codice fiscale: ") + TextFormat::fromUtf8(p->text(PCompanyFiscalCode)),
        QStringLiteral("Banca: ") + TextFormat::fromUtf8(p->text(PBank)) + QStringLiteral(" - ")
            + TextFormat::fromUtf8(p->text(PBranch)),
        QStringLiteral("Forma tecnica: ")
            + TextFormat::fromUtf8(p->text(PFormCode) + " - " + p->text(PFormName)),
        QStringLiteral("Importo: ") + TextFormat::amount(p->integer(PAmount))
            + QStringLiteral(" €"),
        QStringLiteral("Garanzia: ") + TextFormat::fromUtf8(p->text(PGuaranteeNumber))
            + QStringLiteral(" al ") + percent(p->integer(PGuaranteePercent)) + QStringLiteral("%"),
        QStringLiteral("Data delibera: ") + TextFormat::italianDate(p->text(PConsortiumDate)),
        QStringLiteral("Stato: ") + TextFormat::fromUtf8(p->text(PState)),
    };
    return ServiceResponse::file(
        PdfDocument::render(
            QStringLiteral("Scheda posizione ") + TextFormat::fromUtf8(p->text(PLcr)), lines),
        "application/pdf");
}

}
