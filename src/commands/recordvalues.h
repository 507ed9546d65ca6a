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

}
