#include "commands/credentialrequest.h"

#include "commands/recordvalues.h"
#include "protocol/xmlparser.h"

namespace Corvane::Command {

void CredentialRequest::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    const QString code = decodedReply.value(QStringLiteral("esito_id"));
    if (code != QString::number(XmlParser::OK)) {
        success = false;
        resultCode = code.toInt();
    } else {
        for (const char* key : { "0", "1", "2" })
            values << lastRecordValue(dataRows, QLatin1String(key));
    }
    report();
}

RequestCredentialConfidi::RequestCredentialConfidi(
    Interface::RequestCredentialResponseAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : CredentialRequest(
        accepter, QStringLiteral("/corvane/v5/home/richiesta_credenziali_confidi"), parameters)
{
}

RequestCredentialAccount::RequestCredentialAccount(
    Interface::RequestCredentialResponseAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : CredentialRequest(
        accepter, QStringLiteral("/corvane/v5/home/richiesta_credenziali_utente"), parameters)
{
}

}
