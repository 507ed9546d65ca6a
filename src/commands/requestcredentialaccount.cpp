#include "commands/requestcredentialaccount.h"

#include "commands/recordvalues.h"
#include "protocol/xmlparser.h"

namespace Corvane::Command {

RequestCredentialAccount::RequestCredentialAccount(
    Interface::RequestCredentialResponseAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : accepter(accepter)
    , parameters(parameters)
{
}

QString RequestCredentialAccount::getPath() const
{
    return QStringLiteral("/corvane/v5/home/richiesta_credenziali_utente");
}

void RequestCredentialAccount::useResponse(
    QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    // Any result but OK is a refusal; the window explains the codes it knows.
    const QString code = decodedReply.value(QStringLiteral("esito_id"));
    if (code != QString::number(XmlParser::OK)) {
        success = false;
        resultCode = code.toInt();
        accepter->manageCredentialRequestResult(this);
        return;
    }
    first = lastRecordValue(dataRows, QStringLiteral("0"));
    second = lastRecordValue(dataRows, QStringLiteral("1"));
    third = lastRecordValue(dataRows, QStringLiteral("2"));
    accepter->manageCredentialRequestResult(this);
}

}
