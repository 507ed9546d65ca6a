#pragma once

#include <QString>
#include <QTest>

#include <initializer_list>

namespace Corvane::Test {

/// Declares text columns and adds one row per list, its name first: a table of cases reads as
/// one line a case.
inline void addRows(std::initializer_list<const char*> columns,
    std::initializer_list<std::initializer_list<const char*>> rows)
{
    for (const char* column : columns)
        QTest::addColumn<QString>(column);
    for (const auto& row : rows) {
        QTestData& data = QTest::newRow(*row.begin());
        for (auto value = row.begin() + 1; value != row.end(); ++value)
            data << QString::fromUtf8(*value);
    }
}

}
