#pragma once

#include <QColor>
#include <QString>
#include <QVariant>

#include <cmath>

namespace Corvane::Model {

/// How much lighter the lighter of two colours is, from 1 (the same) to 21 (black on white).
inline double contrastRatio(const QColor& first, const QColor& second)
{
    const auto luminance = [](const QColor& colour) {
        const auto linear = [](qreal channel) {
            return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
            + 0.0722 * linear(colour.blueF());
    };
    const double a = luminance(first) + 0.05;
    const double b = luminance(second) + 0.05;
    return a > b ? a / b : b / a;
}

/// The colour, darkened with its hue kept, until text in it reads on a list's rows (4.5:1 on
/// the greyest row background a style draws).
inline QColor readableOnList(const QColor& colour)
{
    const QColor background(0xEE, 0xEE, 0xEE);
    QColor readable = colour.toHsl();
    while (contrastRatio(readable, background) < 4.5 && readable.lightness() > 0) {
        readable.setHsl(readable.hslHue(), readable.hslSaturation(), readable.lightness() - 1);
    }
    return readable.toRgb();
}

/// The colour of a server colour code ("FF0000"), made readable on the list; invalid, so the
/// view's default applies, when the code names no colour.
inline QVariant serverColour(const QString& code)
{
    const QColor colour(QLatin1Char('#') + code);
    return colour.isValid() ? QVariant(readableOnList(colour)) : QVariant();
}

inline QVariant centred() { return QVariant(int(Qt::AlignCenter)); }

inline QVariant rightAligned() { return QVariant(int(Qt::AlignRight | Qt::AlignVCenter)); }

}
