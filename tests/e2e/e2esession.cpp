#include "e2esession.h"

#include "app/applicationmanager.h"
#include "app/resources.h"
#include "support/testenvironment.h"
#include "ui/abstracttablewindow.h"
#include "ui/codewindow.h"
#include "ui/loginwindow.h"
#include "ui/mainwindow.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QSvgWidget>
#include <QTableView>
#include <QTimer>

namespace Corvane::Test {

const QString demoPassword = QStringLiteral("Corvane.Demo.2024");

namespace E2e {
    std::unique_ptr<ServerProcess> startDemoServer(const QString& serverPath, QString& error)
    {
        initResources();
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
        QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
        auto server = std::make_unique<ServerProcess>(serverPath);
        if (!server->start(QStringLiteral("demo"), error))
            return nullptr;
        return server;
    }

    QTableView* filledList(AbstractTableWindow* list, const char* button)
    {
        if (!list->isVisible())
            list->open();
        auto* table = child<QTableView>(list, "dataTable");
        if (table->model()->rowCount() == 0 && button)
            click(list, button);
        if (!QTest::qWaitFor([table] { return table->model()->rowCount() > 0; }, 20000))
            return nullptr;
        return table;
    }

    QString sessionFile(const QString& name)
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('/')
            + name;
    }

    QByteArray readAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void type(QWidget* parent, const char* name, const QString& text)
    {
        auto* edit = child<QLineEdit>(parent, name);
        QVERIFY2(edit, name);
        edit->clear();
        // Key events exist for ASCII only; other text is typed as an input would insert it.
        const bool ascii
            = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 128; });
        if (ascii)
            QTest::keyClicks(edit, text);
        else
            edit->insert(text);
    }

    void click(QWidget* parent, const char* name)
    {
        auto* button = child<QPushButton>(parent, name);
        QVERIFY2(button, name);
        button->click();
    }

    void answerFileDialog(const QString& path, QString* proposedName, QString* directory)
    {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, path, proposedName, directory] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer->stop();
            timer->deleteLater();
            *directory = dialog->directory().absolutePath();
            const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
            *proposedName = edits.isEmpty() ? QString() : edits.first()->text();
            if (path.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
        });
        timer->start(20);
    }

    BoxCloser::BoxCloser()
    {
        connect(&timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                titles << box->windowTitle();
                box->reject();
            }
        });
        timer.start(20);
    }

    QWidget* bankChoice()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->windowTitle() == QLatin1String("Selezione banca"))
                return widget;
        }
        return nullptr;
    }
}

using namespace E2e;

bool E2eTest::startServer()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    QString error;
    server = startDemoServer(QStringLiteral(TESSARO_SERVER_PATH), error);
    if (!server) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    session = std::make_unique<E2eSession>(server.get());
    return true;
}

void E2eTest::cleanupTestCase()
{
    session.reset();
    if (server)
        QCOMPARE(server->stop(), 0);
}

E2eSession::E2eSession(ServerProcess* server)
    : server(server)
{
}

E2eSession::~E2eSession() { stopClient(); }

void E2eSession::stopClient()
{
    manager = nullptr;
    client.reset();
    for (QWidget* widget : QApplication::topLevelWidgets())
        widget->hide();
}

QString E2eSession::userFor(const QString& description) const
{
    const QMap<QString, QString> accounts = server->getAccounts();
    for (auto it = accounts.cbegin(); it != accounts.cend(); ++it) {
        if (it.key().contains(description))
            return it.value();
    }
    return {};
}

void E2eSession::startClient()
{
    client = std::make_unique<TestClient>(
        QStringLiteral("https://localhost:%1").arg(server->getPort()), server->getCaPath());
    manager = client->application();
    manager->start();
}

void E2eSession::startAndSignIn(const QString& user)
{
    startClient();
    QTRY_VERIFY_WITH_TIMEOUT(visible<LoginWindow>(), 20000);
    LoginWindow* login = manager->getLoginWindow();
    type(login, "cfUtenteLineEdit", user);
    type(login, "cfConfidiLineEdit", server->getConsortiumOf(user));
    type(login, "passwordLineEdit", demoPassword);
    click(login, "loginButton");
}

QString E2eSession::currentCode(const QString& user) const
{
    return QString::fromLatin1(server->runTool({ QStringLiteral("totp"), user }).trimmed());
}

void E2eSession::completeTwoFactorSteps(const QString& user)
{
    for (int step = 0; step < 4 && !bankChoice(); ++step) {
        QVERIFY(QTest::qWaitFor(
            [] {
                return bankChoice() || visible<TwoFaActivationWindow>()
                    || visible<TwoFaAuthenticationWindow>();
            },
            20000));
        if (bankChoice())
            break;
        if (QWidget* activation = visible<TwoFaActivationWindow>()) {
            // The QR code of the secret is on screen before any code is asked.
            QVERIFY(manager->getQrCodeSvg().contains("<svg"));
            QVERIFY(activation->findChild<QSvgWidget*>());
            type(activation, "qrCodeLineEdit", currentCode(user));
            click(activation, "acceptButton");
            QTRY_VERIFY(!activation->isVisible());
            continue;
        }
        QWidget* authentication = visible<TwoFaAuthenticationWindow>();
        type(authentication, "twoFaTokenLineEdit", currentCode(user));
        click(authentication, "acceptButton");
        QTRY_VERIFY(!authentication->isVisible());
    }
    QTRY_VERIFY_WITH_TIMEOUT(bankChoice(), 20000);
}

void E2eSession::signInToFirstBank(const QString& user)
{
    QFile::remove(sessionFile(QStringLiteral("auth.txt")));
    QFile::remove(sessionFile(QStringLiteral("twofa.txt")));
    startAndSignIn(user);
    completeTwoFactorSteps(user);
    QWidget* choice = bankChoice();
    QVERIFY(choice);
    const QList<QPushButton*> banks = choice->findChildren<QPushButton*>();
    QVERIFY(!banks.isEmpty());
    banks.first()->click();
}

bool E2eSession::signInReadyUser()
{
    const QString user = userFor(QStringLiteral("ready, two-factor active"));
    if (user.isEmpty())
        return false;
    signInToFirstBank(user);
    return QTest::qWaitFor([] { return E2e::visible<MainWindow>() != nullptr; }, 20000);
}

}
