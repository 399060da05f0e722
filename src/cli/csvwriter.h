#pragma once

#include "tablewriter.h"

// RFC 4180: a header row, CRLF line ends, fields quoted where they must be.
class CsvWriter : public TableWriter {
public:
    QByteArray write(const DeviceTable &table) const override;
};
