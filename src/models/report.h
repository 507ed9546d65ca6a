#pragma once

#include "models/abstractpaginatedtable.h"

#include <QPointer>

namespace Corvane {
namespace Command::Search {
    class DownloadReport;
}

namespace Model {

    /// The bank's reports in a date range, and the download of a report's file. Created by the
    /// flow manager with the report window.
    class Report final : public AbstractPaginatedTable {
        Q_OBJECT
    public:
        explicit Report(CommandManager* commandManager, QObject* parent = nullptr);

        QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
        QString displayValue(const DataRow& record, int column) const override;

        /// Saves the file of the report in that row at path; reportDownloadProgress tells the
        /// bytes saved, reportDownloadComplete the end.
        void downloadReport(int row, const QString& path);
        void onDownloadCompleted(Command::Search::DownloadReport* command);
        /// Withdraws the download under way: nothing is written and no end is told.
        void cancelDownload();

    signals:
        void reportDownloadProgress(qint64 bytes);
        void reportDownloadComplete(bool success);

    private:
        QObject* createSearch(const SearchFilters& filters, int start) override;

        QPointer<QObject> runningDownload;
    };

}
}
