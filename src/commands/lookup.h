#pragma once

#include "commands/reportingcommand.h"

#include <QStringList>

namespace Corvane {
namespace Model {
    class AddressWrapper;
    class Bank;
    class Status;
}

namespace Command {

    /// A reporting command whose result is one value, a list or a map read from the reply.
    template <typename Result, typename Accepter, typename Tags = NoTags>
    class LookUp : public ReportingCommand<Accepter, Tags> {
    public:
        Result getResults() const { return results; }

    protected:
        using ReportingCommand<Accepter, Tags>::ReportingCommand;

        Result results {};
    };

    // The home look-ups below are each created by their model for one request and hand their
    // results back to it.

    /// Lists the banks enabled for the signed-in user, as labels "ABI - Name" by key.
    class Bank final : public LookUp<QMap<QString, QString>, Model::Bank, SessionTags> {
        Q_OBJECT
    public:
        explicit Bank(Model::Bank* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    };

    /// The position states by key, for the state filter.
    class Status final : public LookUp<QMap<QString, QString>, Model::Status, SessionTags> {
        Q_OBJECT
    public:
        explicit Status(Model::Status* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    };

    /// The provinces by id, for the address wrapper.
    class Province final : public LookUp<QMap<QString, QString>, Model::AddressWrapper, HomeTags> {
        Q_OBJECT
    public:
        explicit Province(Model::AddressWrapper* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    };

    /// The province initials, for the address wrapper.
    class ProvinceInitials final : public LookUp<QStringList, Model::AddressWrapper, HomeTags> {
        Q_OBJECT
    public:
        explicit ProvinceInitials(Model::AddressWrapper* model);

        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
    };

}
}
