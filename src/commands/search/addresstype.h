#pragma once

#include "protocol/commandinterface.h"

#include <QObject>
#include <QStringList>

namespace Corvane {
namespace Model {
    class AddressWrapper;
}

namespace Command::Search {

    /// The kinds of company address. Created by the address wrapper for one request; hands them
    /// back.
    class AddressType final : public QObject, public Interface::CommandInterface {
        Q_OBJECT
    public:
        explicit AddressType(Model::AddressWrapper* owner);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override { return parameters; }
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QStringList getResults() const { return results; }

    private:
        Model::AddressWrapper* owner;
        QMap<QString, QString> parameters;
        QStringList results;
    };

}
}
