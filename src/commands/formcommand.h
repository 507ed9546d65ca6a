#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane::Command {

/// A server operation whose request is a path and form fields fixed when it is created; the
/// concrete command only reads the reply and tells whoever asked.
class FormCommand : public QObject, public Interface::CommandInterface {
    Q_OBJECT
public:
    QString getPath() const final { return path; }
    QMap<QString, QString> getParameters() const override { return parameters; }

protected:
    explicit FormCommand(const QString& path, const QMap<QString, QString>& parameters = {});
    /// The debug line a command writes as it starts using its reply.
    void logUse() const;

private:
    QString path;
    QMap<QString, QString> parameters;
};

/// The tags of a command's family, one base class each: a "home" command sends no bank code;
/// one of a signed-in session carries the client version and its reply passes the session check;
/// a "search" command sends the bank code.
class NoTags { };
class HomeTags : public Interface::NoAbiCommandInterface { };
class SessionTags : public Interface::AuthenticatedCommandInterface,
                    public Interface::NoAbiCommandInterface { };
class BankTags : public Interface::AuthenticatedCommandInterface { };

/// A form command that hands its result to accepter, which outlives it: the flow manager
/// through one of its accepter interfaces, or the model that created it.
template <typename Accepter, typename Tags = NoTags>
class ReportingCommand : public FormCommand, public Tags {
protected:
    ReportingCommand(
        Accepter* accepter, const QString& path, const QMap<QString, QString>& parameters = {})
        : FormCommand(path, parameters)
        , accepter(accepter)
    {
    }

    Accepter* const accepter;
};

/// A reporting command whose result is one value, a list or a map read from the reply.
template <typename Result, typename Accepter, typename Tags = NoTags>
class LookUp : public ReportingCommand<Accepter, Tags> {
public:
    Result getResults() const { return results; }

protected:
    using ReportingCommand<Accepter, Tags>::ReportingCommand;

    Result results {};
};

}
