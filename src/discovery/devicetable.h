#pragma once

#include <QStringList>
#include <QVector>

// What a search found, as it is shown: a header of column names, one row per reply (its fields,
// then any columns the search adds), and the warnings of each row.
struct DeviceTable {
    QStringList header;
    QVector<QStringList> rows;
    QVector<QStringList> warnings;
};
