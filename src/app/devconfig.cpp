#include "app/devconfig.h"

#include <QSettings>

namespace Corvane {

DevConfig::DevConfig(QObject* parent)
    : QObject(parent)
    , serverUrl(QStringLiteral(CORVANE_SERVER_URL))
    , settings(std::make_unique<QSettings>(QStringLiteral("config.ini"), QSettings::IniFormat))
{
    load();
}

DevConfig::~DevConfig() = default;

void DevConfig::load()
{
    // The switch is its presence: "Enable=0" switches debugging on too.
    if (settings->contains(QStringLiteral("Debug/Enable")))
        debugEnabled = true;
    if (settings->contains(QStringLiteral("ServerURL/Production")))
        serverUrl = settings->value(QStringLiteral("ServerURL/Production")).toString();
    if (settings->contains(QStringLiteral("ServerURL/CaCertificates")))
        caCertificatesPath = settings->value(QStringLiteral("ServerURL/CaCertificates")).toString();
}

}
