#include "network/networkhelpwindow.h"

#include "ui_networkhelpwindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QUrl>

namespace Corvane {

NetworkHelpWindow::NetworkHelpWindow(const QString& serverUrl, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::NetworkHelpWindow>())
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Aiuto configurazione di rete"));
    setFixedSize(500, 210);
    ui->plainTextEdit->viewport()->setAutoFillBackground(false);
    // The port is the server's own: an administrator opening 443 for a server elsewhere would
    // open the wrong one.
    const QUrl url(serverUrl);
    ui->plainTextEdit->setPlainText(
        QStringLiteral("Gentile utente,\n\nPer poter abilitare Corvane alla fruizione dei dati è "
                       "necessario che l'applicativo possa raggiungere il sito internet con questi "
                       "parametri:\n\n")
        + QStringLiteral("URL: ") + url.host() + QStringLiteral("\nPorta: ")
        + QString::number(url.port(443))
        + QStringLiteral("\nProtocollo: HTTPS\n\nVi invitiamo a fornire queste "
                         "informazioni al responsabile della vostra rete.\n"));
    connect(
        ui->saveAndClose, &QPushButton::clicked, this, &NetworkHelpWindow::saveToClipboardAndClose);
}

NetworkHelpWindow::~NetworkHelpWindow() = default;

void NetworkHelpWindow::saveToClipboardAndClose()
{
    QGuiApplication::clipboard()->setText(ui->plainTextEdit->toPlainText(), QClipboard::Clipboard);
    accept();
}

}
