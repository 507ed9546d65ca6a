#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

namespace Corvane {

/// One message of a support ticket's conversation. Owned by the ticket model, which frees the
/// messages of a conversation when the next one replaces them.
class TicketMessage final : public QObject {
    Q_OBJECT
public:
    TicketMessage(const QString& text, const QString& userType, const QDateTime& dateTime,
        QObject* parent = nullptr);

    QString getText() const { return text; }
    /// Who wrote it: the "utente_tipo" of the server ("utente", "assistenza").
    QString getUserType() const { return userType; }
    /// Invalid when the server's date could not be read.
    QDateTime getDateTime() const { return dateTime; }

private:
    QString text;
    QString userType;
    QDateTime dateTime;
};

}
