#pragma once

#include "tablewriter.h"

// An array of objects keyed by the column names.
class JsonWriter : public TableWriter {
public:
    QByteArray write(const DeviceTable &table) const override;
};
