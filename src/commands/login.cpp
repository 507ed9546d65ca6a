#include "commands/login.h"

#include "commands/recordvalues.h"
#include "protocol/xmlparser.h"

namespace Corvane::Command {

Login::Login(Interface::AuthenticationResultAccepterInterface* accepter,
    const QMap<QString, QString>& parameters)
    : accepter(accepter)
    , parameters(parameters)
{
}

QString Login::getPath() const { return QStringLiteral("/corvane/v5/home/login_account"); }

void Login::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    // Any result but OK is a failed login (wrong credentials, too many attempts, malformed
    // fields): a refused login must never be taken for a session.
    const QString code = decodedReply.value(QStringLiteral("esito_id"));
    if (code != QString::number(XmlParser::OK)) {
        success = false;
        resultCode = code.toInt();
    }
    token = lastRecordValue(dataRows, QStringLiteral("0"));
    accepter->manageAuthenticationResult(this);
}

}
