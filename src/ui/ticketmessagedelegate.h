#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

namespace Corvane {

/// Paints each message of a ticket's conversation as a card: who wrote it, the day and the time
/// in bold after their captions, and below them the whole text, wrapped to the view's width, in
/// a framed box. Everything is drawn as plain text. Made by the ticket detail window for its
/// list of messages, whose child it is.
class TicketMessageDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TicketMessageDelegate(QAbstractItemView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    struct Metrics {
        int margin;
        int spacing;
        /// Frame and inner margin of the text's box, on each side.
        int boxPadding;
    };
    Metrics metrics() const;
    /// The width a card has in the view now.
    int cardWidth(const QStyleOptionViewItem& option) const;

    QAbstractItemView* view;
};

}
