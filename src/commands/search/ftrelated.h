#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"

#include <QObject>

namespace Corvane {
namespace Model {
    class PositionDetails;
}

namespace Command::Search {

    /// The other technical forms of a position's file. Created by the position-details model for
    /// one request; hands the forms back to it only when there are some.
    class FtRelated final : public QObject,
                            public Interface::CommandInterface,
                            public Interface::AuthenticatedCommandInterface {
        Q_OBJECT
    public:
        FtRelated(
            Model::PositionDetails* model, const QString& technicalFormId, const QString& lcr);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override;
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QList<DataRow> getRows() const { return rows; }

    private:
        Model::PositionDetails* model;
        QString technicalFormId;
        QString lcr;
        QList<DataRow> rows;
    };

}
}
