#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

namespace Corvane {
class ApplicationManager;
class CommandManager;
class DevConfig;
}

namespace Corvane::Test {

/// A real flow manager pointed, through "config.ini" in the working directory, at a test server
/// signed by the run's test CA (or the given one); its end frees its windows and the log handler.
class TestClient final {
public:
    explicit TestClient(const QString& serverUrl, const QString& caCertificates = QString());
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    ApplicationManager* application() const { return manager.get(); }
    CommandManager* commandManager() const;

private:
    std::unique_ptr<DevConfig> devConfig;
    std::unique_ptr<ApplicationManager> manager;
    QtMessageHandler previousHandler = nullptr;
};

}
