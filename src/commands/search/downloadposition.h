#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/downloadcommandinterface.h"

#include <QObject>

namespace Corvane {
namespace Model {
    class PositionDetails;
}

namespace Command::Search {

    /// Saves the PDF the server makes of one position at the path the user chose. An existing
    /// file there is replaced only by a complete, non-empty download. Created by the
    /// position-details model for one request; reports the outcome to it.
    class DownloadPosition final : public QObject,
                                   public Interface::DownloadCommandInterface,
                                   public Interface::AuthenticatedCommandInterface {
        Q_OBJECT
    public:
        DownloadPosition(Model::PositionDetails* model, const QString& path,
            const QString& technicalFormId, const QString& lcr);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override;
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
        void useResponse(QByteArray body) override;

        bool isSuccess() const { return success; }
        QString getDestinationPath() const { return destinationPath; }

    private:
        QString destinationPath;
        QString technicalFormId;
        QString lcr;
        Model::PositionDetails* model;
        bool success = false;
    };

}
}
