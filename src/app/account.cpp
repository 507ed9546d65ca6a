#include "app/account.h"

#include "app/confidi.h"
#include "app/credential.h"
#include "core/logging.h"

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

bool Account::hasConfidi(const char* caller) const
{
    if (!confidi)
        qCDebug(corvaneLog) << caller << "called but confidi is not set";
    return confidi;
}

bool Account::hasCredential(const char* caller) const
{
    if (!credential)
        qCDebug(corvaneLog) << caller << "called but credential is not set";
    return credential;
}

int Account::getConfidiId() const { return hasConfidi("getConfidiId") ? confidi->getId() : 0; }

QString Account::getConfidiCompanyName() const
{
    return hasConfidi("getConfidiCompanyName") ? confidi->getCompanyName() : QString();
}

QString Account::getCredentialCfUtente() const
{
    return hasCredential("getCredentialCfUtente") ? credential->getCfUtente() : QString();
}

QString Account::getCredentialCfConfidi() const
{
    return hasCredential("getCredentialCfConfidi") ? credential->getCfConfidi() : QString();
}

QString Account::getCredentialPassword() const
{
    return hasCredential("getCredentialPassword") ? credential->getPassword() : QString();
}

void Account::updateCredentialPassword(const QString& password)
{
    if (hasCredential("updateCredentialPassword"))
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
