#include "app/applicationmanager.h"
#include "app/updatewindow.h"
#include "e2esession.h"
#include "models/amortization.h"
#include "models/company.h"
#include "models/position.h"
#include "models/report.h"
#include "models/ticket.h"
#include "network/networksettingswindow.h"
#include "network/proxyconfigurator.h"
#include "serverprocess.h"
#include "support/testenvironment.h"
#include "ui/aboutwindow.h"
#include "ui/anagraphicwindow.h"
#include "ui/changepasswordwindow.h"
#include "ui/codewindow.h"
#include "ui/companywindow.h"
#include "ui/credentialaccountwindow.h"
#include "ui/credentialconfidiwindow.h"
#include "ui/insertticketwindow.h"
#include "ui/loginwindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"
#include "ui/reportwindow.h"
#include "ui/ticketdetailwindow.h"
#include "ui/ticketwindow.h"

#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;

namespace {

QStringList columnValues(QAbstractItemModel* model, int column)
{
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->index(row, column).data().toString();
    return values;
}

}

/// Every window of the program, one after the other, against a real tessaro-server with the demo
/// data: each must come up holding what the server sent. With CORVANE_TOUR_DIR set, each is also
/// saved there as a PNG (scripts/tour fills docs/screenshots this way).
class TestScreenshotTour final : public E2eTest {
    Q_OBJECT
public:
    /// As the program starts: scaled with the screen, with the large pixmaps.
    static void initMain()
    {
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
        QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    }

private slots:
    void initTestCase();
    void everyWindow();

private:
    /// Waits for the window to be visible and ready, then saves its picture when asked.
    void capture(QWidget* window, const QString& name, const std::function<bool()>& ready = {});
    /// Opens a list with its "show all" button (or by itself) and waits for its rows.
    void openList(AbstractTableWindow* window, QAbstractItemModel* model, const char* button);

    QDir directory;
    bool saving = false;
    /// On a screen scaled to 200 %, only a few windows are saved, named with "-200".
    bool scaled = false;
    QStringList saved;
};

void TestScreenshotTour::initTestCase()
{
    const QString target = QString::fromLocal8Bit(qgetenv("CORVANE_TOUR_DIR"));
    saving = !target.isEmpty();
    scaled = qgetenv("QT_SCALE_FACTOR") == "2";
    if (saving) {
        QVERIFY(QDir().mkpath(target));
        directory = QDir(QDir(target).absolutePath());
    }
    QVERIFY(startServer());
}

void TestScreenshotTour::capture(
    QWidget* window, const QString& name, const std::function<bool()>& ready)
{
    QVERIFY2(QTest::qWaitFor(
                 [window, &ready] { return window->isVisible() && (!ready || ready()); }, 20000),
        qPrintable(name));
    QVERIFY2(!window->windowTitle().isEmpty(), qPrintable(name));
    const QStringList scaledNames { QStringLiteral("main-window"), QStringLiteral("positions"),
        QStringLiteral("position-detail") };
    if (!saving || (scaled && !scaledNames.contains(name)))
        return;
    QTest::qWait(50);
    // A palette of 256 colours keeps the pictures small; the windows use few.
    const QImage image = window->grab().toImage().convertToFormat(
        QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    const QString path = directory.filePath(
        name + (scaled ? QStringLiteral("-200") : QString()) + QStringLiteral(".png"));
    QVERIFY2(image.save(path, "PNG", 0), qPrintable(path));
    saved << name;
}

void TestScreenshotTour::openList(
    AbstractTableWindow* window, QAbstractItemModel* model, const char* button)
{
    if (!window->isVisible())
        window->open();
    if (button)
        click(window, button);
    QVERIFY(QTest::qWaitFor([model] { return model->rowCount() > 0; }, 20000));
}

void TestScreenshotTour::everyWindow()
{
    // Guards against a window that no longer opens, or opens empty, on the way through the program.
    ApplicationManager* application = nullptr;
    // Sign-in of a user whose two-factor is still to be activated: login, activation, bank.
    const QString user = session->userFor(QStringLiteral("two-factor not yet active"));
    QVERIFY(!user.isEmpty());
    QFile::remove(sessionFile(QStringLiteral("auth.txt")));
    QFile::remove(sessionFile(QStringLiteral("twofa.txt")));
    session->startClient();
    application = session->application();
    LoginWindow* login = application->getLoginWindow();
    QTRY_VERIFY_WITH_TIMEOUT(login->isVisible(), 20000);
    type(login, "cfUtenteLineEdit", user);
    type(login, "cfConfidiLineEdit", server->getConsortiumOf(user));
    type(login, "passwordLineEdit", demoPassword);
    capture(login, QStringLiteral("login"));
    click(login, "loginButton");
    TwoFaActivationWindow* activation = application->getTwoFaActivationWindow();
    capture(activation, QStringLiteral("twofa-activation"));
    // Activation; its first code completes the sign-in.
    session->completeTwoFactorSteps(user);
    QWidget* choice = bankChoice();
    const QList<QPushButton*> banks = choice->findChildren<QPushButton*>();
    QVERIFY(banks.size() >= 2);
    capture(choice, QStringLiteral("bank-choice"));
    banks.first()->click();
    MainWindow* main = application->getMainWindow();
    capture(main, QStringLiteral("main-window"));

    // The positions ask whether to show the forms related to the one opened; no, here.
    auto relatedBoxCloser = std::make_unique<BoxCloser>();

    // The four lists.
    CompanyWindow* companies = application->getCompanyWindow();
    openList(companies, application->getCompanyModel(), "fetchButton");
    capture(companies, QStringLiteral("companies"));
    PositionWindow* positions = application->getPositionWindow();
    openList(positions, application->getPositionModel(), "fetchButton");
    capture(positions, QStringLiteral("positions"));
    ReportWindow* reports = application->getReportWindow();
    openList(reports, application->getReportModel(), "fetchButton");
    capture(reports, QStringLiteral("reports"));
    TicketWindow* tickets = application->getTicketWindow();
    openList(tickets, application->getTicketModel(), nullptr);
    capture(tickets, QStringLiteral("tickets"));

    // A position with its plan, as a table and as a chart, and its company's record.
    PositionDetailWindow* detail = application->getPositionDetailWindow();
    Model::Position* positionModel = application->getPositionModel();
    auto* plan = child<QTableView>(detail, "ammortamentoTable");
    for (int row = 0; row < positionModel->rowCount(); ++row) {
        detail->hide();
        emit child<QTableView>(positions, "dataTable")->doubleClicked(positionModel->index(row, 1));
        QTRY_VERIFY_WITH_TIMEOUT(detail->isVisible(), 20000);
        // The first plan with paid and unpaid instalments, which shows both in its chart.
        if (QTest::qWaitFor([plan] { return plan->isVisible(); }, 2000)) {
            const QStringList paid = columnValues(application->getAmortizationModel(), 0);
            if (paid.contains(QStringLiteral("S")) && paid.contains(QStringLiteral("N")))
                break;
        }
    }
    capture(detail, QStringLiteral("position-detail"), [plan] { return plan->isVisible(); });
    click(detail, "ammortamentoSwitch");
    capture(detail, QStringLiteral("position-chart"),
        [detail] { return child<QWidget>(detail, "ammortamentoChart")->isVisible(); });
    click(detail, "ammortamentoSwitch");
    AnagraphicWindow* record = application->getAnagraphicWindow();
    const QString company = child<QLabel>(detail, "companyName")->text();
    click(detail, "showAnagraphicWindow");
    capture(record, QStringLiteral("company-record"),
        [record, company] { return child<QLabel>(record, "companyName")->text() == company; });
    record->close();
    detail->close();

    // A ticket's conversation and a new ticket.
    TicketDetailWindow* conversation = tickets->getTicketDetailWindow();
    emit child<QTableView>(tickets, "dataTable")
        ->doubleClicked(application->getTicketModel()->index(0, 4));
    capture(conversation, QStringLiteral("ticket-conversation"), [conversation] {
        return !child<QTextEdit>(conversation, "text")->toPlainText().isEmpty();
    });
    conversation->close();
    InsertTicketWindow* newTicket = application->getInsertTicketWindow();
    newTicket->open();
    capture(newTicket, QStringLiteral("new-ticket"));
    newTicket->reject();

    // Settings, update and About.
    application->getProxyConfigurator()->openNetworkSettingsWindow();
    NetworkSettingsWindow* network = application->getProxyConfigurator()->getSettingsWindow();
    capture(network, QStringLiteral("network-settings"));
    network->reject();
    UpdateWindow* update = application->getUpdateWindow();
    update->show();
    capture(update, QStringLiteral("update"));
    update->hide();
    AboutWindow* about = application->getAboutWindow();
    about->open();
    capture(
        about, QStringLiteral("about"), [about] { return about->findChild<QLabel*>() != nullptr; });
    about->close();

    // The sign-in dialogs this user's path did not cross.
    const QList<QPair<QWidget*, const char*>> dialogs {
        { application->getTwoFaAuthenticationWindow(), "twofa-authentication" },
        { application->getChangePasswordWindow(), "change-password" },
        { application->getActivationCodeWindow(), "activation-code" },
        { application->getCredentialConfidiWindow(), "credential-consortium" },
        { application->getCredentialAccountWindow(), "credential-account" },
    };
    for (const auto& [dialog, name] : dialogs) {
        dialog->show();
        capture(dialog, QLatin1String(name));
        dialog->hide();
    }
    relatedBoxCloser.reset();
    if (saving)
        QCOMPARE(saved.size(), scaled ? 3 : 21);
}

QTEST_MAIN(TestScreenshotTour)
#include "tst_screenshottour.moc"
