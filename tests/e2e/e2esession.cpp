#include "e2esession.h"

#include "app/applicationmanager.h"
#include "app/resources.h"
#include "models/amortization.h"
#include "models/position.h"
#include "support/testenvironment.h"
#include "ui/abstracttablewindow.h"
#include "ui/codewindow.h"
#include "ui/loginwindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QSvgWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

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

    int shownCount(AbstractTableWindow* list)
    {
        static const QRegularExpression count(QStringLiteral("^Trovat[ei] (\\d+) "));
        const QRegularExpressionMatch match = count.match(list->getStatusBar()->currentMessage());
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }

    int search(AbstractTableWindow* list, const char* button)
    {
        list->getStatusBar()->clearMessage();
        click(list, button);
        const bool replied = QTest::qWaitFor([list] { return shownCount(list) >= 0; }, 20000);
        return replied ? shownCount(list) : -1;
    }

    QStringList columnValues(const QAbstractItemModel* model, int column)
    {
        QStringList values;
        for (int row = 0; row < model->rowCount(); ++row)
            values << model->index(row, column).data().toString();
        return values;
    }

    QString labelText(QWidget* parent, const char* name)
    {
        return child<QLabel>(parent, name)->text();
    }

    bool showsCompany(QWidget* window, const QString& name)
    {
        return QTest::qWaitFor(
            [window, name] {
                return window->isVisible() && labelText(window, "companyName") == name;
            },
            20000);
    }

    void trigger(QWidget* window, const QString& text)
    {
        for (QAction* action : window->findChild<QToolBar*>()->actions()) {
            if (action->text() == text)
                return action->trigger();
        }
        QFAIL(qPrintable(text));
    }

    int openPlan(ApplicationManager* application, int from, const std::function<bool()>& wanted)
    {
        PositionDetailWindow* detail = application->getPositionDetailWindow();
        auto* plan = child<QTableView>(detail, "ammortamentoTable");
        QTableView* positions = filledList(application->getPositionWindow(), "fetchButton");
        Model::Position* model = application->getPositionModel();
        for (int row = from; positions && row < model->rowCount(); ++row) {
            detail->hide();
            emit positions->doubleClicked(positions->model()->index(row, 1));
            if (!showsCompany(detail, model->getValue(row, QStringLiteral("i_ragsoc"))))
                return -1;
            // A position without a plan shows none: the next one is tried.
            if (QTest::qWaitFor([plan] { return plan->isVisible(); }, 2000)
                && (!wanted || wanted()))
                return row;
        }
        return -1;
    }

    bool halfPaidPlan(ApplicationManager* application)
    {
        const QStringList paid = columnValues(application->getAmortizationModel(), 0);
        return paid.contains(QStringLiteral("S")) && paid.contains(QStringLiteral("N"));
    }

    OpenRecorder::OpenRecorder()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open");
    }

    OpenRecorder::~OpenRecorder() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

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

void E2eSession::startAndSignIn(
    const QString& user, const std::function<void(QWidget*)>& beforeLogin)
{
    startClient();
    QTRY_VERIFY_WITH_TIMEOUT(visible<LoginWindow>(), 20000);
    LoginWindow* login = manager->getLoginWindow();
    type(login, "cfUtenteLineEdit", user);
    type(login, "cfConfidiLineEdit", server->getConsortiumOf(user));
    type(login, "passwordLineEdit", demoPassword);
    if (beforeLogin)
        beforeLogin(login);
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

bool E2eSession::signInReadyUser()
{
    const QString user = userFor(QStringLiteral("ready, two-factor active"));
    if (user.isEmpty())
        return false;
    QFile::remove(sessionFile(QStringLiteral("auth.txt")));
    QFile::remove(sessionFile(QStringLiteral("twofa.txt")));
    startAndSignIn(user);
    completeTwoFactorSteps(user);
    const QList<QPushButton*> banks
        = bankChoice() ? bankChoice()->findChildren<QPushButton*>() : QList<QPushButton*>();
    if (banks.isEmpty())
        return false;
    banks.first()->click();
    return QTest::qWaitFor([] { return E2e::visible<MainWindow>() != nullptr; }, 20000);
}

}
