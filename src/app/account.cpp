#include "app/account.h"

#include "app/confidi.h"
#include "app/credential.h"
#include "app/logging.h"

#include <QStringList>

namespace Corvane {

Account::Account(QObject* parent)
    : QObject(parent)
{
}

Account::~Account()
{
    delete confidi.data();
    delete credential.data();
}

Confidi* Account::getConfidi() const { return confidi; }

Credential* Account::getCredential() const { return credential; }

void Account::setUsername(const QString& value)
{
    if (value == username)
        return;
    qCDebug(corvaneLog) << "Account username updated with" << value;
    username = value;
}

void Account::setBank(const QString& value)
{
    if (value == bank)
        return;
    qCDebug(corvaneLog) << "Account banca updated with" << value;
    bank = value;
}

void Account::setConfidi(Confidi* value)
{
    if (value == confidi)
        return;
    qCDebug(corvaneLog) << "Account confidi updated with" << value;
    if (confidi)
        confidi->deleteLater();
    confidi = value;
}

void Account::setCredential(Credential* value)
{
    if (value == credential)
        return;
    qCDebug(corvaneLog) << "Account credential updated";
    if (credential)
        credential->deleteLater();
    credential = value;
}

int Account::getConfidiId() const
{
    if (!confidi) {
        qCDebug(corvaneLog) << "getConfidiId" << "called but confidi is not set";
        return 0;
    }
    return confidi->getId();
}

QString Account::getConfidiCompanyName() const
{
    if (!confidi) {
        qCDebug(corvaneLog) << "getConfidiCompanyName" << "called but confidi is not set";
        return {};
    }
    return confidi->getCompanyName();
}

QString Account::getCredentialCfUtente() const
{
    if (!credential) {
        qCDebug(corvaneLog) << "getCredentialCfUtente" << "called but credential is not set";
        return {};
    }
    return credential->getCfUtente();
}

QString Account::getCredentialCfConfidi() const
{
    if (!credential) {
        qCDebug(corvaneLog) << "getCredentialCfConfidi" << "called but credential is not set";
        return {};
    }
    return credential->getCfConfidi();
}

QString Account::getCredentialPassword() const
{
    if (!credential) {
        qCDebug(corvaneLog) << "getCredentialPassword" << "called but credential is not set";
        return {};
    }
    return credential->getPassword();
}

void Account::updateCredentialPassword(const QString& password)
{
    if (!credential) {
        qCDebug(corvaneLog) << "updateCredentialPassword" << "called but credential is not set";
        return;
    }
    credential->setPassword(password);
}

QString Account::getUsernameHead() const
{
    return username.split(QLatin1Char('-')).value(0).trimmed();
}

QString Account::getUsernameTail() const
{
    return username.split(QLatin1Char('-')).value(1).trimmed();
}

}
