#pragma once

#include <QObject>
#include <QString>

namespace Corvane {

/// The login credential: the user's and the consortium's fiscal codes and the password.
/// Created by the flow manager at start-up and after each login; the account refers to it.
class Credential final : public QObject {
    Q_OBJECT
public:
    Credential(const QString& cfUtente, const QString& cfConfidi, const QString& password);

    QString getCfUtente() const { return cfUtente; }
    QString getCfConfidi() const { return cfConfidi; }
    QString getPassword() const { return password; }
    void setPassword(const QString& value) { password = value; }

private:
    QString cfUtente;
    QString cfConfidi;
    QString password;
};

}
