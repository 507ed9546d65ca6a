#pragma once

#include "protocol/datarow.h"

namespace Corvane::Command {

/// The value stored under key in the reply records; a later record overrides an earlier one,
/// and a key no record holds gives an empty text.
inline QString lastRecordValue(const QList<DataRow>& rows, const QString& key)
{
    QString value;
    for (const DataRow& row : rows) {
        const auto it = row.constFind(key);
        if (it != row.constEnd())
            value = *it;
    }
    return value;
}

/// Whether a reply is a success that carries value, the one thing its command exists for. A
/// reply cut short keeps its result code while its records are lost: that is a failure.
inline bool isCompleteSuccess(const QMap<QString, QString>& decodedReply, const QString& value)
{
    return decodedReply.value(QStringLiteral("esito_id")) == QLatin1String("0") && !value.isEmpty();
}

}
