#pragma once

#include "core/logging.h"
#include "protocol/datarow.h"

#include <QStringList>

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

namespace Corvane::Command {

/// Every value of every record, in reply order, each logged as it is taken.
inline QStringList collectValues(const char* className, const QList<DataRow>& rows)
{
    QStringList values;
    for (const DataRow& row : rows) {
        for (const QString& value : row) {
            qCDebug(corvaneLog) << className << ": inserted " << value
                                << "into results string list ";
            values << value;
        }
    }
    return values;
}

/// Every value of every record by its key (a later record's key wins), each logged.
inline QMap<QString, QString> collectMap(
    const char* className, const QList<DataRow>& rows, bool listWording)
{
    QMap<QString, QString> values;
    for (const DataRow& row : rows) {
        for (auto it = row.cbegin(); it != row.cend(); ++it) {
            if (listWording)
                qCDebug(corvaneLog)
                    << className << ": inserted " << it.value() << "into results string list ";
            else
                qCDebug(corvaneLog)
                    << className << ": inserted" << it.key() << it.value() << "into results map";
            values.insert(it.key(), it.value());
        }
    }
    return values;
}

}
