#pragma once

#include "network/networkmanager.h"
#include "network/proxyconfigurator.h"
#include "protocol/applicationinitializeresponderinterface.h"
#include "support/messageboxanswerer.h"
#include "support/testserver.h"

#include <QApplication>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <deque>
#include <memory>

namespace Corvane::Test {

/// Stands in for the flow manager: counts the calls that say the connection works.
class RecordingResponder final : public Interface::ApplicationInitializeResponderInterface {
public:
    void initializeApplication() override { ++initializations; }
    int initializations = 0;
};

/// Answers the proxy credential windows a test expects, in order, and records what each showed.
/// A window beyond the expected ones is rejected, as a user without credentials would.
class CredentialAnswerer final : public QObject {
    Q_OBJECT
public:
    struct Answer {
        QString username;
        QString password;
        bool remember = false;
    };
    struct Prompt {
        QString title;
        QString description;
        bool rememberEnabled = false;
    };

    explicit CredentialAnswerer(QObject* parent = nullptr);
    void expect(const Answer& answer) { answers.push_back(answer); }
    const QList<Prompt>& getPrompts() const { return prompts; }

private:
    void poll();

    QTimer timer;
    std::deque<Answer> answers;
    QList<Prompt> prompts;
};

/// What every proxy configurator test starts from: a fresh working directory without proxy
/// variables, the scripted server answering the connection check, a message-box answerer and a
/// recording responder. Test classes derive from it and call the set-up and tear-down from their
/// init and cleanup.
class ConfiguratorTest : public QObject {
    Q_OBJECT
protected:
    void setUpConfiguratorTest();
    /// Destroys the configurator and the server and fails on any unexpected message box.
    void tearDownConfiguratorTest();
    void createConfigurator(const QString& serverUrl);

    std::unique_ptr<TestServer> server;
    std::unique_ptr<NetworkManager> networkManager;
    std::unique_ptr<ProxyConfigurator> configurator;
    std::unique_ptr<MessageBoxAnswerer> boxes;
    RecordingResponder responder;
};

/// The first visible top-level widget of the type, or null.
template <typename T> T* visibleTopLevel()
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* widget : widgets) {
        if (auto* found = qobject_cast<T*>(widget); found && found->isVisible())
            return found;
    }
    return nullptr;
}

/// Collects every log line of the process while it is alive.
class LogCapture final {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    QString text() const;
};

/// Writes the values into "config.ini" of the working directory.
void writeConfig(const QVariantMap& values);
/// The keys and values of a group of "config.ini".
QVariantMap configGroup(const QString& group);
/// Removes the proxy variables the system proxy factory reads, so the test decides them.
void clearSystemProxyEnvironment();

}
