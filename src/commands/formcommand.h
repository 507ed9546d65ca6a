#pragma once

#include "protocol/commandinterface.h"

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

}
