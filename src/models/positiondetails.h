#pragma once

#include "models/recordmodel.h"
#include "protocol/datarow.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

namespace Corvane {

namespace Command::Search {
    class DownloadPosition;
    class FtRelated;
    class PositionDetail;
}

namespace Model {

    /// One loan position in full, as the last reply gave it: company, bank, technical form and
    /// its stages (consortium resolution "DC_", bank resolution "DB_", perfection "PE_",
    /// extinction "ES_"), and the download of its PDF. Created once by the flow manager and
    /// handed to the position detail window, which never owns it.
    class PositionDetails final : public RecordModel {
        Q_OBJECT
    public:
        explicit PositionDetails(CommandManager* commandManager, QObject* parent = nullptr);

        /// The forty reply keys of a position, in the order they are read.
        static const QStringList& getKeys();

        /// Asks for the position and then for the technical forms related to it. What is still
        /// on its way for an earlier position is dropped.
        void fetch(const QString& technicalFormId, const QString& lcr);
        void update(Command::Search::PositionDetail* command);
        /// The related forms are told once per fetch, and only once the position is on screen.
        void showRelatedForms(Command::Search::FtRelated* command);
        void downloadPosition(
            const QString& path, const QString& technicalFormId, const QString& lcr);
        void onDownloadCompleted(Command::Search::DownloadPosition* command);
        /// Withdraws the download under way: nothing is written and no end is told.
        void cancelDownload();

        QString getTechnicalFormId() const { return technicalFormId; }
        QString getLcr() const { return lcr; }

    signals:
        void positionDetailUpdated();
        void positionDownloadProgress(qint64 bytes);
        void positionDownloadComplete(bool success);
        /// The position on screen has other technical forms, described by text; told once per
        /// fetch.
        void relatedFormsFound(const QString& text);

    private:
        void showPendingRelatedForms();

        QString technicalFormId;
        QString lcr;
        QPointer<QObject> pendingDetail;
        QPointer<QObject> pendingRelated;
        QPointer<QObject> runningDownload;
        /// The text of the related forms of this fetch, until it is shown.
        QString relatedForms;
        bool positionShown = false;
    };

}
}
