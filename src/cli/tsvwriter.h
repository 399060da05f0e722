#pragma once

#include "tablewriter.h"

// One line per row, no header, a tab between fields; separators inside a field
// are escaped with a backslash, so every field can be restored exactly.
class TsvWriter : public TableWriter {
public:
    QByteArray write(const DeviceTable &table) const override;

    // Backslash, tab, line feed and carriage return as \\, \t, \n and \r.
    static QString escaped(const QString &field);
};
