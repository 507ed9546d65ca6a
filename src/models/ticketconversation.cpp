#include "models/ticketconversation.h"

#include "models/ticketmessage.h"

namespace Corvane::Model {

TicketConversation::TicketConversation(QObject* parent)
    : QAbstractListModel(parent)
{
}

int TicketConversation::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : messages.size();
}

QVariant TicketConversation::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Message& message = messages.at(index.row());
    // A date the server sent in another form is left out rather than shown wrong.
    const bool dated = message.dateTime.isValid();
    switch (role) {
    case Qt::DisplayRole:
        return message.text;
    case AuthorRole:
        return message.author;
    case DateRole:
        return dated ? message.dateTime.toString(QStringLiteral("dd/MM/yyyy")) : QString();
    case TimeRole:
        return dated ? message.dateTime.toString(QStringLiteral("HH:mm:ss")) : QString();
    case Qt::AccessibleTextRole:
        return QStringLiteral("Inserito da: %1 Il: %2 Alle: %3\n%4")
            .arg(message.author, data(index, DateRole).toString(), data(index, TimeRole).toString(),
                message.text);
    default:
        return {};
    }
}

void TicketConversation::setMessages(const QList<TicketMessage*>& replies)
{
    beginResetModel();
    messages.clear();
    messages.reserve(replies.size());
    for (auto it = replies.crbegin(); it != replies.crend(); ++it)
        messages.append({ (*it)->getText(), (*it)->getUserType(), (*it)->getDateTime() });
    endResetModel();
}

void TicketConversation::clear()
{
    beginResetModel();
    messages.clear();
    endResetModel();
}

}
