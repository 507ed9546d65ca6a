#include "models/report.h"

#include "commands/search/downloadreport.h"
#include "commands/search/report.h"
#include "models/cellstyle.h"
#include "models/commandrelease.h"

namespace Corvane::Model {

Report::Report(CommandManager* commandManager, QObject* parent)
    : AbstractPaginatedTable(commandManager, parent)
{
    addColumns({
        { "report_file_id", "report_file_id" },
        { "report_id", "report_id" },
        { "banca_abi_id", "banca_abi_id" },
        { "ragione_sociale", "Banca" },
        { "nome_report", "Report" },
        { "data_report_formattata", "Data Contabile" },
        { "filename", "Nome File" },
        { "vuoto", "File Vuoto" },
        { "data_creazione_formattata", "Data Creazione" },
    });
    // The creation date carries its time: it stays text.
    setColumnKinds({ { "data_report_formattata", ExportColumn::Kind::Date } });
    setSearchLogLines("Starting fetching Report list from the server",
        "Starting fetching data from the starting page");
}

QVariant Report::data(const QModelIndex& index, int role) const
{
    if (!isCell(index))
        return {};
    const QString column = getColumnName(index.column());
    if (role == Qt::TextAlignmentRole) {
        return column == QLatin1String("vuoto") || column == QLatin1String("data_report_formattata")
                || column == QLatin1String("data_creazione_formattata")
            ? centred()
            : QVariant();
    }
    return AbstractPaginatedTable::data(index, role);
}

QString Report::displayValue(const DataRow& record, int column) const
{
    if (getColumnName(column) == QLatin1String("vuoto"))
        return record.value(QStringLiteral("vuoto")) == QLatin1String("1") ? QStringLiteral("Si")
                                                                           : QStringLiteral("No");
    return AbstractPaginatedTable::displayValue(record, column);
}

QObject* Report::createSearch(const SearchFilters& filters, int)
{
    return new Command::Search::Report(this, filters);
}

void Report::downloadReport(int row, const QString& path)
{
    cancelDownload();
    auto* download = new Command::Search::DownloadReport(
        this, getValue(row, QStringLiteral("report_file_id")), path);
    connect(
        download, &Command::Search::FileDownload::received, this, &Report::reportDownloadProgress);
    runningDownload = download;
    execute(download);
}

void Report::cancelDownload() { withdrawDownload(commandManager, runningDownload, "Report"); }

void Report::onDownloadCompleted(Command::Search::DownloadReport* command)
{
    const bool success = endDownload(runningDownload, command, "report");
    release(command);
    emit reportDownloadComplete(success);
}

}
