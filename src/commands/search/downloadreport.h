#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/downloadcommandinterface.h"

#include <QObject>

namespace Corvane {
namespace Model {
    class Report;
}

namespace Command::Search {

    /// Saves the file of one report at the path the user chose. An existing file there is
    /// replaced only by a complete, non-empty download. Created by the report model for one
    /// request; reports the outcome to it.
    class DownloadReport final : public QObject,
                                 public Interface::DownloadCommandInterface,
                                 public Interface::AuthenticatedCommandInterface {
        Q_OBJECT
    public:
        DownloadReport(Model::Report* model, const QString& reportFileId, const QString& path);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override;
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
        void useResponse(QByteArray body) override;

        bool isSuccess() const { return success; }
        QString getDestinationPath() const { return destinationPath; }

    private:
        QString destinationPath;
        QString reportFileId;
        Model::Report* model;
        bool success = false;
    };

}
}
