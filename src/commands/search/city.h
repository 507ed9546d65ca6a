#pragma once

#include "protocol/commandinterface.h"

#include <QObject>
#include <QStringList>

namespace Corvane {
namespace Model {
    class AddressWrapper;
}

namespace Command::Search {

    /// The municipalities of a province by id. Created by the address wrapper for one request;
    /// hands them back.
    class City final : public QObject, public Interface::CommandInterface {
        Q_OBJECT
    public:
        City(Model::AddressWrapper* owner, const QString& value);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override { return parameters; }
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QMap<QString, QString> getResults() const { return results; }

    private:
        Model::AddressWrapper* owner;
        QMap<QString, QString> parameters;
        QMap<QString, QString> results;
    };

}
}
