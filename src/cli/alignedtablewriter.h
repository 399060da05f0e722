#pragma once

#include "tablewriter.h"

// Columns aligned for a terminal, under a header and a rule of dashes.
class AlignedTableWriter : public TableWriter {
public:
    QByteArray write(const DeviceTable &table) const override;

    // Control characters escaped, so that a field stays on its line and cannot
    // steer the terminal.
    static QString visible(const QString &field);
};
