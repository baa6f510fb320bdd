#pragma once

// One row of a QtTest data table, its values given in column order.

#include <QTest>

template<typename... Values> QTestData &row(const char *tag, const Values &...values)
{
    QTestData &data = QTest::newRow(tag);
    ((data << values), ...);
    return data;
}
