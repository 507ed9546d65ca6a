#include "support/testclient.h"

#include "app/applicationmanager.h"
#include "app/devconfig.h"
#include "support/testenvironment.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSettings>

namespace Corvane::Test {

TestClient::TestClient(const QString& serverUrl, const QString& caCertificates)
{
    // The server keys of "config.ini"; its other keys stay.
    QSettings config("config.ini", QSettings::IniFormat);
    config.setValue("ServerURL/Production", serverUrl);
    config.setValue("ServerURL/CaCertificates",
        caCertificates.isEmpty() ? TestEnvironment::caCertificatesPath() : caCertificates);
    // The manager installs the program's log handler; the one in force now comes back after it.
    previousHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(previousHandler);
    devConfig = std::make_unique<DevConfig>();
    manager = std::make_unique<ApplicationManager>(devConfig.get());
}

TestClient::~TestClient()
{
    manager.reset();
    // The manager hands its windows to deleteLater.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    devConfig.reset();
    qInstallMessageHandler(previousHandler);
}

CommandManager* TestClient::commandManager() const { return manager->getCommandManager(); }

}
