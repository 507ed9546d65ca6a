#pragma once

#include "protocol/commandinterface.h"

#include <QObject>

namespace Corvane {
namespace Model {
    class AddressWrapper;
}

namespace Command::Search {

    /// The postal code of a municipality. Created by the address wrapper for one request; hands
    /// the code back to it.
    class Cap final : public QObject, public Interface::CommandInterface {
        Q_OBJECT
    public:
        Cap(Model::AddressWrapper* owner, const QString& municipalityId);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override { return parameters; }
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QString getCap() const { return cap; }

    private:
        Model::AddressWrapper* owner;
        QMap<QString, QString> parameters;
        QString cap;
    };

}
}
