#pragma once

#include "protocol/datarow.h"

#include <QStringList>

namespace Corvane::Command::Search {

/// The values of the keys in the first record of a reply, each present and empty when the reply
/// has no record or the record lacks the key: a reply always replaces every field.
inline QMap<QString, QString> firstRecordValues(const QList<DataRow>& rows, const QStringList& keys)
{
    const DataRow first = rows.isEmpty() ? DataRow() : rows.constFirst();
    QMap<QString, QString> values;
    for (const QString& key : keys)
        values.insert(key, first.value(key));
    return values;
}

/// The form fields that name one technical form of a position.
inline QMap<QString, QString> positionFields(const QString& technicalFormId, const QString& lcr)
{
    return { { QStringLiteral("pratica_ft_id"), technicalFormId }, { QStringLiteral("lcr"), lcr } };
}

}
