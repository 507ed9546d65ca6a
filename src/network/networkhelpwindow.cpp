#include "network/networkhelpwindow.h"

#include "ui_networkhelpwindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTextDocument>
#include <QUrl>
#include <QtMath>

namespace Corvane {

NetworkHelpWindow::NetworkHelpWindow(const QString& serverUrl, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::NetworkHelpWindow>())
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Aiuto configurazione di rete"));
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
    fitToText();
    connect(
        ui->saveAndClose, &QPushButton::clicked, this, &NetworkHelpWindow::saveToClipboardAndClose);
}

NetworkHelpWindow::~NetworkHelpWindow() = default;

void NetworkHelpWindow::fitToText()
{
    // The whole text is shown at the desktop's font size, whatever it is: the administrator must
    // not have to scroll to find the port.
    QPlainTextEdit* text = ui->plainTextEdit;
    QTextDocument measure;
    measure.setDefaultFont(text->font());
    measure.setDocumentMargin(text->document()->documentMargin());
    measure.setPlainText(text->toPlainText());
    measure.setTextWidth(text->width() - 2 * text->frameWidth());
    const int textHeight = qCeil(measure.size().height()) + 2 * text->frameWidth()
        + text->fontMetrics().lineSpacing();
    const int height = qMax(155, textHeight);
    text->setFixedHeight(height);
    QPushButton* button = ui->saveAndClose;
    const int buttonTop = text->y() + height + 7;
    button->move(button->x(), buttonTop);
    setFixedSize(width(), buttonTop + button->height() + 11);
}

void NetworkHelpWindow::saveToClipboardAndClose()
{
    QGuiApplication::clipboard()->setText(ui->plainTextEdit->toPlainText(), QClipboard::Clipboard);
    accept();
}

}
