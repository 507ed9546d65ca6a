#pragma once

#include <QColor>
#include <QString>
#include <QVariant>

namespace Corvane::Model {

/// The colour of a server colour code ("FF0000"); invalid, so the view's default applies, when
/// the code names no colour.
inline QVariant serverColour(const QString& code)
{
    const QColor colour(QLatin1Char('#') + code);
    return colour.isValid() ? QVariant(colour) : QVariant();
}

inline QVariant centred() { return QVariant(int(Qt::AlignCenter)); }

inline QVariant rightAligned() { return QVariant(int(Qt::AlignRight | Qt::AlignVCenter)); }

}
