#include "models/positiondetails.h"

#include "commands/search/downloadposition.h"
#include "commands/search/positiondetail.h"
#include "models/commandrelease.h"
#include "protocol/commandmanager.h"

namespace Corvane::Model {

PositionDetails::PositionDetails(CommandManager* commandManager, QObject* parent)
    : RecordModel(commandManager, parent)
{
}

const QStringList& PositionDetails::getKeys()
{
    static const QStringList keys { QStringLiteral("impresa_anagrafica_id"),
        QStringLiteral("impresa_rag_soc"), QStringLiteral("indirizzo"),
        QStringLiteral("cod_fiscale"), QStringLiteral("partita_iva"),
        QStringLiteral("banca_denominazione"), QStringLiteral("sportello"),
        QStringLiteral("codice_ft"), QStringLiteral("codice_qrv"), QStringLiteral("data_delib_c"),
        QStringLiteral("gar_perc"), QStringLiteral("num_delib_c"), QStringLiteral("importo"),
        QStringLiteral("data_perf"), QStringLiteral("pratica_id"),
        QStringLiteral("erogata_non_deliberata"), QStringLiteral("stato"), QStringLiteral("DC_num"),
        QStringLiteral("DC_presente"), QStringLiteral("DC_importo"), QStringLiteral("DC_scadenza"),
        QStringLiteral("DC_gar_num"), QStringLiteral("DC_gar_perc"), QStringLiteral("DC_data"),
        QStringLiteral("DB_num"), QStringLiteral("DB_presente"), QStringLiteral("DB_importo"),
        QStringLiteral("DB_data"), QStringLiteral("DB_scadenza"), QStringLiteral("DB_lcr"),
        QStringLiteral("PE_presente"), QStringLiteral("PE_data_erog"),
        QStringLiteral("PE_data_scad"), QStringLiteral("PE_numero"), QStringLiteral("PE_importo"),
        QStringLiteral("ES_presente"), QStringLiteral("ES_data_conclusione"),
        QStringLiteral("ES_tipo"), QStringLiteral("deliberabileC"), QStringLiteral("chiudibileC") };
    return keys;
}

void PositionDetails::fetch(const QString& formId, const QString& lcrValue)
{
    technicalFormId = formId;
    lcr = lcrValue;
    relatedForms.clear();
    positionShown = false;
    // The detail goes first: the queue runs one command at a time, so the position is on
    // screen before its related forms come back.
    replacePending(commandManager, this, pendingDetail,
        new Command::Search::PositionDetail(this, formId, lcrValue));
    replacePending(commandManager, this, pendingRelated,
        new Command::Search::FtRelated(this, formId, lcrValue));
}

void PositionDetails::update(Command::Search::PositionDetail* command)
{
    values = command->getValues();
    emit positionDetailUpdated();
    positionShown = true;
    showPendingRelatedForms();
}

void PositionDetails::showRelatedForms(Command::Search::FtRelated* command)
{
    const QList<DataRow> rows = command->getRows();
    const DataRow first = rows.isEmpty() ? DataRow() : rows.constFirst();
    relatedForms = first.isEmpty() ? QString() : first.first();
    showPendingRelatedForms();
}

void PositionDetails::showPendingRelatedForms()
{
    if (!positionShown || relatedForms.isEmpty())
        return;
    const QString text = relatedForms;
    relatedForms.clear();
    emit relatedFormsFound(text);
}

void PositionDetails::downloadPosition(
    const QString& path, const QString& formId, const QString& lcrValue)
{
    cancelDownload();
    auto* download = new Command::Search::DownloadPosition(this, path, formId, lcrValue);
    connect(download, &Command::Search::FileDownload::received, this,
        &PositionDetails::positionDownloadProgress);
    runningDownload = download;
    // A command whose reply never comes is freed when the queue says it has ended.
    queueOwned(commandManager, this, download);
}

void PositionDetails::cancelDownload()
{
    withdrawDownload(commandManager, runningDownload, "Position");
}

void PositionDetails::onDownloadCompleted(Command::Search::DownloadPosition* command)
{
    emit positionDownloadComplete(endDownload(runningDownload, command, "position"));
}

}
