#pragma once

#include <QAbstractListModel>
#include <QDateTime>
#include <QVector>

namespace Corvane {

class TicketMessage;

namespace Model {

    /// The messages of the ticket open in its detail window, newest first, one row each, for a
    /// list view: the text as the display value, the author, date and time in roles of their
    /// own, and all of it as the text read out. Copies what it shows, so the ticket model may
    /// free its messages at any time. Owned by the detail window.
    class TicketConversation final : public QAbstractListModel {
        Q_OBJECT
    public:
        enum Role { AuthorRole = Qt::UserRole + 1, DateRole, TimeRole };

        explicit TicketConversation(QObject* parent = nullptr);

        int rowCount(const QModelIndex& parent = QModelIndex()) const override;
        QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

        /// Replaces the conversation with messages, given in reply order.
        void setMessages(const QList<TicketMessage*>& messages);
        void clear();

    private:
        struct Message {
            QString text;
            QString author;
            QDateTime dateTime;
        };
        QVector<Message> messages;
    };

}
}
