#include "ui/ticketmessagedelegate.h"

#include "models/ticketconversation.h"

#include <QAbstractItemView>
#include <QPainter>

#include <climits>

namespace Corvane {

namespace {
    constexpr int wrapFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    constexpr int frameWidth = 1;
    constexpr int textMargin = 4;
    /// A short message still gets the box of a few lines that the cards have always shown.
    constexpr int smallestBoxHeight = 70;

    QFont boldFont(QFont font)
    {
        font.setBold(true);
        return font;
    }
}

TicketMessageDelegate::TicketMessageDelegate(QAbstractItemView* view)
    : QStyledItemDelegate(view)
    , view(view)
{
}

TicketMessageDelegate::Metrics TicketMessageDelegate::metrics() const
{
    const QStyle* style = view->style();
    return { style->pixelMetric(QStyle::PM_LayoutLeftMargin),
        style->pixelMetric(QStyle::PM_LayoutHorizontalSpacing), frameWidth + textMargin };
}

int TicketMessageDelegate::cardWidth(const QStyleOptionViewItem& option) const
{
    // The view asks for sizes with an option that carries no width: the card spans the view.
    const int width = view->viewport()->width();
    return width > 0 ? width : option.rect.width();
}

QSize TicketMessageDelegate::sizeHint(
    const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const Metrics m = metrics();
    const int width = cardWidth(option);
    const int textWidth = qMax(1, width - 2 * (2 * m.margin + m.boxPadding));
    const QFontMetrics normal(option.font);
    const QFontMetrics bold(boldFont(option.font));
    const QString text = index.data().toString();
    const int textHeight = text.isEmpty()
        ? normal.height()
        : normal.boundingRect(QRect(0, 0, textWidth, INT_MAX), wrapFlags, text).height();
    return { width,
        2 * m.margin + qMax(normal.height(), bold.height()) + m.spacing
            + qMax(smallestBoxHeight, textHeight + 2 * m.boxPadding) };
}

void TicketMessageDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const Metrics m = metrics();
    const QPalette& palette = option.palette;
    painter->save();
    painter->fillRect(option.rect, palette.window());
    // Cards sit inside the list as they sat inside their own frame: a double margin at the sides.
    const QRect card = option.rect.adjusted(2 * m.margin, m.margin, -2 * m.margin, -m.margin);
    painter->setClipRect(option.rect);

    // The heading: each caption in the normal weight, each value in bold after it.
    const QFont bold = boldFont(option.font);
    const int headingHeight = qMax(QFontMetrics(option.font).height(), QFontMetrics(bold).height());
    int x = card.left();
    const auto draw = [&](const QString& text, const QFont& font) {
        painter->setFont(font);
        const QRect area(x, card.top(), card.right() - x, headingHeight);
        QRect used;
        painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text, &used);
        x += used.width() + m.spacing;
    };
    painter->setPen(palette.color(QPalette::WindowText));
    draw(QStringLiteral("Inserito da:"), option.font);
    draw(index.data(Model::TicketConversation::AuthorRole).toString(), bold);
    draw(QStringLiteral("Il:"), option.font);
    draw(index.data(Model::TicketConversation::DateRole).toString(), bold);
    draw(QStringLiteral("Alle:"), option.font);
    draw(index.data(Model::TicketConversation::TimeRole).toString(), bold);

    // The text in a framed box, as a read-only text field shows it.
    const QRect box(card.left(), card.top() + headingHeight + m.spacing, card.width(),
        card.bottom() - (card.top() + headingHeight + m.spacing) + 1);
    painter->fillRect(box, palette.base());
    painter->setPen(palette.color(QPalette::Mid));
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    painter->setPen(palette.color(QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(box.adjusted(m.boxPadding, m.boxPadding, -m.boxPadding, -m.boxPadding),
        wrapFlags, index.data().toString());

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(view);
        focus.rect = option.rect.adjusted(1, 1, -1, -1);
        focus.backgroundColor = palette.color(QPalette::Window);
        view->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, view);
    }
    painter->restore();
}

}
