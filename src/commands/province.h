#pragma once

#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>
#include <QStringList>

namespace Corvane {
namespace Model {
    class AddressWrapper;
}

namespace Command {

    /// The province names by initials. Created by the address wrapper for one request; hands them
    /// back.
    class Province final : public QObject,
                           public Interface::CommandInterface,
                           public Interface::NoAbiCommandInterface {
        Q_OBJECT
    public:
        explicit Province(Model::AddressWrapper* owner);

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
