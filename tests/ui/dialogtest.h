#pragma once

#include "app/applicationmanager.h"
#include "protocol/commandmanager.h"
#include "protocol/xmlparser.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testserver.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace Corvane::Test {

/// A real flow manager pointed at the scripted test server, in a temporary working directory: the
/// dialogs under test are the manager's own, and what they send is read back from the server's
/// record. Unless a test scripts otherwise, nothing opens after a login, a code or a new password.
class DialogTest : public QObject {
    Q_OBJECT
protected slots:
    void initTestCase();
    /// Lets the last request finish and hides every window.
    void cleanup();

protected:
    using Fields = QList<QPair<QString, QString>>;
    /// Answers the command ("login_account") with a code and one "id"/"descr" record per field.
    void script(const char* command, int code, const Fields& fields = {}, int delayMs = 0);
    /// The last form sent with the command, without the fields every request carries.
    QMap<QString, QString> lastForm(const char* command) const;
    bool waitUntilIdle();
    static QString logText();
    /// Writes ASCII keys into the widget, the way a user types.
    static void type(QWidget* widget, const QString& text);
    /// Shows the dialog as the flow manager does; false when it never appears.
    static bool showModal(QDialog* dialog);
    /// Presses cancel: the dialog must close, send nothing and leave the login window up.
    void cancel(QDialog* dialog);
    /// The named child of a form; a missing one ends the run, as no check could be trusted.
    template <typename T = QLineEdit> static T* child(QWidget* parent, const char* name)
    {
        auto* found = parent->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("%s not found", name);
        return found;
    }
    static void click(QWidget* parent, const char* button)
    {
        child<QPushButton>(parent, button)->click();
    }

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
};

}
