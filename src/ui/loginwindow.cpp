#include "ui/loginwindow.h"

#include "core/logging.h"
#include "protocol/xmlparser.h"
#include "ui/credentialconfidiwindow.h"
#include "ui/dialogsetup.h"
#include "ui/servertextbox.h"
#include "ui/texts.h"
#include "ui/windowrequestinterface.h"
#include "ui_loginwindow.h"

#include <QMessageBox>
#include <QProgressDialog>

namespace Corvane {

LoginWindow::LoginWindow(Interface::WindowRequestInterface* applicationManager,
    std::function<CredentialConfidiWindow*()> credentialConfidiWindow, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::LoginWindow>())
    , applicationManager(applicationManager)
    , credentialConfidiWindow(std::move(credentialConfidiWindow))
{
    ui->setupUi(this);
    setUpDialog(this);
    setFixedSize(361, 380);
    setSharpPicture(ui->ostraniLogo, QStringLiteral(":/Images/tessaro.svg"));

    ui->cfUtenteLineEdit->setFocus();
    connect(ui->loginButton, &QPushButton::clicked, this, &LoginWindow::login);
    connect(ui->requestCredentialButton, &QPushButton::clicked, this,
        &LoginWindow::openCredentialConfidiWindow);
    connect(ui->cfUtenteLineEdit, &QLineEdit::textEdited, this, &LoginWindow::onTextEdited);
}

LoginWindow::~LoginWindow()
{
    if (progressDialog)
        progressDialog->deleteLater();
}

void LoginWindow::open()
{
    // Whatever brings the form back ends the wait of an earlier attempt.
    hideProgressDialog();
    ui->cfUtenteLineEdit->setText(applicationManager->getCredentialCfUtente());
    ui->cfConfidiLineEdit->setText(applicationManager->getCredentialCfConfidi());
    ui->passwordLineEdit->setText(applicationManager->getCredentialPassword());
    QDialog::open();
}

void LoginWindow::manageLoginResponse()
{
    qCDebug(corvaneLog) << "Is managing login response";
    hideProgressDialog();

    const int code = applicationManager->getLoginResultCode();
    QString message;
    switch (code) {
    case XmlParser::LOGIN_FAIL:
        message = QStringLiteral("Le credenziali inserite non sono corrette");
        break;
    case XmlParser::RATE_LIMITER_ERROR_MESSAGE:
        message = Text::tooManyAttempts;
        break;
    case XmlParser::LOGIN_VALIDATION_FAIL:
        message = Text::validationFailed;
        break;
    default:
        // Silence here would let the next Enter sign in as the stored user.
        message = QStringLiteral("Errore durante l'esecuzione della richiesta.\nErrore: %1\n"
                                 "Descrizione: %2")
                      .arg(QString::number(code), applicationManager->getLoginResultDescription());
        break;
    }
    QMessageBox box(
        QMessageBox::Critical, QStringLiteral("Login"), QString(), QMessageBox::Ok, this);
    // The description is the server's text, shown as it is.
    setServerText(box, message);
    box.exec();
    open();
}

void LoginWindow::hideLoginWindow()
{
    qCDebug(corvaneLog) << "Hiding login window";
    hideProgressDialog();
    hide();
}

void LoginWindow::hideProgressDialog()
{
    if (progressDialog)
        progressDialog->hide();
}

void LoginWindow::login()
{
    if (!progressDialog) {
        // Flags through the constructor: QDialog adds Qt::Dialog, so it stays a window of its own.
        progressDialog = new QProgressDialog(QStringLiteral("Accesso in corso..."), QString(), 0, 0,
            this, Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        progressDialog->setCancelButton(nullptr);
        progressDialog->setWindowTitle(QStringLiteral("Login utente"));
        progressDialog->setWindowModality(Qt::WindowModal);
        progressDialog->reset();
    }
    progressDialog->show();

    const QMap<QString, QString> parameters {
        { QStringLiteral("cf_confidi"), ui->cfConfidiLineEdit->text() },
        { QStringLiteral("cf_utente"), ui->cfUtenteLineEdit->text() },
        { QStringLiteral("password"), ui->passwordLineEdit->text() },
    };
    qCDebug(corvaneLog).noquote() << "Ready to login with cf confidi:"
                                  << parameters.value(QStringLiteral("cf_confidi"))
                                  << "cf utente:" << parameters.value(QStringLiteral("cf_utente"));
    applicationManager->login(parameters);
}

void LoginWindow::openCredentialConfidiWindow()
{
    CredentialConfidiWindow* window = credentialConfidiWindow();
    window->setModal(true);
    window->open();
}

void LoginWindow::onTextEdited(const QString& text) { setUpperCase(ui->cfUtenteLineEdit, text); }

}
