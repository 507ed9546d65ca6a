#include "xmlreply.h"

#include <QTextCodec>
#include <QXmlStreamWriter>

#include <cassert>
#include <unordered_set>

namespace Corvane::Server {

namespace {
    const std::unordered_set<std::string>& headerFields()
    {
        static const std::unordered_set<std::string> fields { "esito_id", "esito_descr",
            "abilitazione_save_pwd", "n_result", "utente_tipo", "email_confermata",
            "cambio_password", "tot_elementi", "versione_ufficiale_corvane",
            "stato_id_in_compilazione", "stato_id_deliberata_parziale_banca", "fusioni_presenti",
            "start", "tot_pag", "cur_pag", "msg_block", "risultati", "pratiche_da_ultimo_accesso" };
        return fields;
    }

    const std::unordered_set<std::string>& recordFields()
    {
        static const std::unordered_set<std::string> fields { "ragsoc_C", "anag_id",
            "ragione_sociale", "comune", "provincia", "cod_fiscale", "partita_iva", "indirizzo",
            "telefono", "fax", "email", "data_costituzione", "cciaa", "sae", "rae", "albo_ruolo",
            "impresa_tipo", "impresa_settore_merceologico", "impresa_attivita", "anag_prec",
            "anag_succ", "data_sostituzione", "cap", "testo_privacy", "report_id", "banca_abi_id",
            "nome_report", "report_file_id", "filename", "data_report_formattata", "vuoto",
            "data_creazione_formattata", "ticket_id", "codice", "oggetto",
            "data_inserimento_formattata", "data", "stato_colore", "stato", "testo", "utente",
            "utente_tipo", "data_msg", "codice_ticket", "pratica_id", "pratica_forma_tecnica_id",
            "codice_ft", "codice_descr_ft", "i_ragsoc", "pratica_ft_stato_id",
            "pratica_ft_sottostato_id", "data_delib_c_ord", "data_delib_c", "gar_num", "gar_perc",
            "num_delib_c", "importo", "data_perf_ord", "data_perf", "erogata_non_deliberata", "abi",
            "b_ragsoc", "ragsoc_completa", "stato_breve", "stato_id", "sottostato_id",
            "impresa_anagrafica_id", "impresa_rag_soc", "banca_denominazione", "sportello",
            "codice_qrv", "DC_num", "DC_presente", "DC_importo", "DC_scadenza", "DC_gar_num",
            "DC_gar_perc", "DC_data", "DB_num", "DB_presente", "DB_importo", "DB_data",
            "DB_scadenza", "DB_lcr", "PE_presente", "PE_data_erog", "PE_data_scad", "PE_numero",
            "PE_importo", "ES_presente", "ES_data_conclusione", "ES_tipo", "deliberabileC",
            "chiudibileC", "numero_rata", "rata", "quota_capitale", "quota_interesse",
            "interessi_pagati", "capitale_rimborsato", "debito_residuo", "data_scadenza",
            "data_pagamento", "rata_pagata", "ft_descr" };
        return fields;
    }

    QTextCodec* windows1252()
    {
        static QTextCodec* const codec = QTextCodec::codecForName("Windows-1252");
        return codec;
    }
}

XmlReply::XmlReply(int resultCode, const QString& description)
    : resultCode(resultCode)
{
    header.emplace_back("esito_id", QString::number(resultCode));
    header.emplace_back("esito_descr", description);
}

int XmlReply::getResultCode() const { return resultCode; }

void XmlReply::setHeader(const std::string& name, const QString& value)
{
    assert(isKnownHeaderField(name) && "header field unknown to the client");
    for (auto& field : header) {
        if (field.first == name) {
            field.second = value;
            return;
        }
    }
    header.emplace_back(name, value);
}

void XmlReply::addRecord(const Record& record)
{
#ifndef NDEBUG
    for (const auto& field : record)
        assert(isKnownRecordField(field.first) && "record field unknown to the client");
#endif
    records.push_back(record);
}

void XmlReply::addValue(const QString& id, const QString& description)
{
    records.push_back({ { "id", id }, { "descr", description } });
}

int XmlReply::recordCount() const { return static_cast<int>(records.size()); }

QByteArray XmlReply::encodeValue(const QString& text)
{
    return windows1252()->fromUnicode(text).toBase64();
}

bool XmlReply::isKnownHeaderField(const std::string& name)
{
    return headerFields().count(name) != 0;
}

bool XmlReply::isKnownRecordField(const std::string& name)
{
    return recordFields().count(name) != 0;
}

QByteArray XmlReply::toXml() const
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("risposta"));
    writer.writeStartElement(QStringLiteral("item_res"));
    for (const auto& field : header) {
        // The client skips empty header elements, so an empty value is simply left out.
        if (!field.second.isEmpty())
            writer.writeTextElement(QString::fromStdString(field.first), field.second);
    }
    writer.writeEndElement();
    for (const auto& record : records) {
        writer.writeStartElement(QStringLiteral("item_dati"));
        for (const auto& field : record) {
            writer.writeTextElement(QString::fromStdString(field.first),
                QString::fromLatin1(encodeValue(field.second)));
        }
        writer.writeEndElement();
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

}
