#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

namespace Corvane {

class Confidi;
class Credential;

/// The session's user: name, chosen bank, consortium and login credential. One per process,
/// created by the flow manager. The account owns the consortium and credential records it is
/// given; a replaced record is freed once control returns to the event loop, so a caller still
/// holding it inside the current call stays safe.
class Account final : public QObject {
    Q_OBJECT
public:
    explicit Account(QObject* parent = nullptr);
    ~Account() override;

    QString getUsername() const { return username; }
    QString getBank() const { return bank; }
    Confidi* getConfidi() const;
    Credential* getCredential() const;

    void setUsername(const QString& value);
    void setBank(const QString& value);
    void setConfidi(Confidi* value);
    void setCredential(Credential* value);

    int getConfidiId() const;
    QString getConfidiCompanyName() const;
    QString getCredentialCfUtente() const;
    QString getCredentialCfConfidi() const;
    QString getCredentialPassword() const;
    void updateCredentialPassword(const QString& password);

    /// The parts of the user name before and after the first "-", trimmed.
    QString getUsernameHead() const;
    QString getUsernameTail() const;

private:
    /// Whether the record is set; logs the caller's name when it is not.
    bool hasConfidi(const char* caller) const;
    bool hasCredential(const char* caller) const;

    QString username;
    QString bank;
    QPointer<Confidi> confidi;
    QPointer<Credential> credential;
};

}
