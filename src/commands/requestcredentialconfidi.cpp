#include "commands/requestcredentialconfidi.h"

#include "commands/recordvalues.h"
#include "protocol/xmlparser.h"

namespace Corvane::Command {

RequestCredentialConfidi::RequestCredentialConfidi(
    Interface::RequestCredentialResponseAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : accepter(accepter)
    , parameters(parameters)
{
}

QString RequestCredentialConfidi::getPath() const
{
    return QStringLiteral("/corvane/v5/home/richiesta_credenziali_confidi");
}

void RequestCredentialConfidi::useResponse(
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
    confidiFiscalCode = lastRecordValue(dataRows, QStringLiteral("0"));
    confidiCompanyName = lastRecordValue(dataRows, QStringLiteral("1"));
    confidiPec = lastRecordValue(dataRows, QStringLiteral("2"));
    accepter->manageCredentialRequestResult(this);
}

}
