#pragma once

#include "serverprocess.h"
#include "support/testclient.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

class QAbstractItemModel;
class QTableView;

namespace Corvane {
class AbstractTableWindow;
class ApplicationManager;
}

namespace Corvane::Test {

/// What the end-to-end tests share: finding and driving the client's windows, and a client
/// signed in against a seeded tessaro-server.
namespace E2e {
    /// Names the application as the client does and starts a tessaro-server seeded with the demo
    /// data; null, with the reason in error, when it does not start.
    std::unique_ptr<ServerProcess> startDemoServer(const QString& serverPath, QString& error);
    QString sessionFile(const QString& name);
    QByteArray readAll(const QString& path);

    template <typename Widget> Widget* child(QWidget* parent, const char* name)
    {
        return parent->findChild<Widget*>(QString::fromLatin1(name));
    }

    /// Types text into the named line edit, as a user would.
    void type(QWidget* parent, const char* name, const QString& text);
    void click(QWidget* parent, const char* name);

    /// The visible top-level window of that class, or null.
    template <typename Window> Window* visible()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible())
                return window;
        }
        return nullptr;
    }

    /// Whether a top-level window of that class exists at all, shown or not.
    template <typename Window> bool created()
    {
        const QWidgetList widgets = QApplication::topLevelWidgets();
        return std::any_of(widgets.cbegin(), widgets.cend(),
            [](QWidget* widget) { return qobject_cast<Window*>(widget); });
    }

    /// Opens the list, presses button (its "show all"; none for a list that fills itself) when
    /// it holds no row, and waits for its rows; null when none came.
    QTableView* filledList(AbstractTableWindow* list, const char* button);
    /// The count of the last reply in a list's status bar ("Trovate 12 ..."), or -1 before one.
    int shownCount(AbstractTableWindow* list);
    /// Clicks the list's button and waits for the reply's count; -1 when none came.
    int search(AbstractTableWindow* list, const char* button);
    QStringList columnValues(const QAbstractItemModel* model, int column);
    QString labelText(QWidget* parent, const char* name);
    /// Waits for the window to show the company of that name; false when it does not.
    bool showsCompany(QWidget* window, const QString& name);
    /// Triggers the tool bar action with that text.
    void trigger(QWidget* window, const QString& text);
    /// Opens the listed positions one after the other, from row from, until one shows a plan
    /// that wanted accepts (any, without it); its row, or -1.
    int openPlan(
        ApplicationManager* application, int from = 0, const std::function<bool()>& wanted = {});
    /// Whether the plan on screen holds paid and unpaid instalments.
    bool halfPaidPlan(ApplicationManager* application);

    /// The bank choice, when it is on screen.
    QWidget* bankChoice();

    /// Answers the next file dialog, from inside its own event loop, with path or, when path is
    /// empty, by cancelling it; records the file name it proposed and the folder it opened in.
    void answerFileDialog(const QString& path, QString* proposedName, QString* directory);

    /// Closes every message box with its escape answer (the positions ask whether to show the
    /// related forms: no), and records its title, as long as it lives.
    class BoxCloser final : public QObject {
    public:
        BoxCloser();
        QStringList titles;

    private:
        QTimer timer;
    };

    /// Records the files the desktop is asked to open, as long as it lives.
    class OpenRecorder final : public QObject {
        Q_OBJECT
    public:
        OpenRecorder();
        ~OpenRecorder() override;
        QList<QUrl> opened;
    public slots:
        void open(const QUrl& url) { opened << url; }
    };
}

/// A client of one seeded tessaro-server, started and signed in as the tests need it.
class E2eSession final {
public:
    explicit E2eSession(ServerProcess* server);
    ~E2eSession();

    void startClient();
    /// Starts the client and signs the user in with the demo password from the login window;
    /// beforeLogin sees the filled window before its button is pressed.
    void startAndSignIn(const QString& user, const std::function<void(QWidget*)>& beforeLogin = {});
    /// Answers the two-factor windows with the user's current code until the bank choice opens.
    void completeTwoFactorSteps(const QString& user);
    /// Signs in the demo user whose two-factor is active, to the first bank; false when the main
    /// window did not come up.
    bool signInReadyUser();
    QString currentCode(const QString& user) const;
    QString userFor(const QString& description) const;
    /// Ends the client, hiding every window it left.
    void stopClient();

    ApplicationManager* application() const { return manager; }

private:
    ServerProcess* server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* manager = nullptr;
};

extern const QString demoPassword;

/// The frame of an end-to-end program: a seeded tessaro-server in a temporary working folder and
/// one client session on it, both ended with the program.
class E2eTest : public QObject {
    Q_OBJECT
protected slots:
    void cleanupTestCase();

protected:
    /// Starts the server and the session; false, with the reason logged, when the server did not
    /// start.
    bool startServer();

    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<E2eSession> session;
};

}
