#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

#include <functional>

namespace Corvane::Test {

/// A command that records what it receives, with the capabilities of its subclass; an object, so
/// the queue notices its destruction.
class RecordingCommand : public QObject, public Interface::CommandInterface {
public:
    RecordingCommand(const QString& path, const QMap<QString, QString>& parameters = {})
        : path(path)
        , parameters(parameters)
    {
    }

    QString getPath() const override { return path; }
    QMap<QString, QString> getParameters() const override { return parameters; }
    void useResponse(QMap<QString, QString> reply, QList<DataRow> rows) override
    {
        ++useCount;
        decodedReply = reply;
        dataRows = rows;
        if (onUse)
            onUse();
    }

    QString path;
    QMap<QString, QString> parameters;
    int useCount = 0;
    QMap<QString, QString> decodedReply;
    QList<DataRow> dataRows;
    std::function<void()> onUse;
};

/// Like the account commands: authenticated, no bank in the path.
class HomeCommand final : public RecordingCommand,
                          public Interface::AuthenticatedCommandInterface,
                          public Interface::NoAbiCommandInterface {
public:
    using RecordingCommand::RecordingCommand;
};

/// Like the public lookups before a session exists: neither authenticated nor bank-bound.
class PublicHomeCommand final : public RecordingCommand, public Interface::NoAbiCommandInterface {
public:
    using RecordingCommand::RecordingCommand;
};

/// Like the paged searches: authenticated, paginated, addressed to one bank.
class SearchCommand final : public RecordingCommand,
                            public Interface::PaginatedCommandInterface,
                            public Interface::AuthenticatedCommandInterface {
public:
    using RecordingCommand::RecordingCommand;

    int getCurrentPage() const override { return header("cur_pag"); }
    int getStart() const override { return header("start"); }
    int getTotalPages() const override { return header("tot_pag"); }
    int getResultCount() const override { return header("risultati"); }
    QList<DataRow> getRows() const override { return dataRows; }

private:
    int header(const char* key) const { return decodedReply.value(QLatin1String(key)).toInt(); }
};

/// An XML reply of header fields and records (values in Base64 of Windows-1252, as the server's).
QByteArray xmlReply(const QMap<QString, QString>& header, const QList<DataRow>& records = {});
/// An XML reply carrying only the result code in its header.
QByteArray resultReply(const QString& esitoId, const QList<DataRow>& records = {});
/// A single-value record, as the server sends tokens and lookup entries.
DataRow idRecord(const QString& id, const QString& descr);

}
