#pragma once

#include "devicetable.h"
#include "findrequest.h"

#include <QByteArray>
#include <memory>

// Turns the found devices into one output format.
class TableWriter {
public:
    virtual ~TableWriter() = default;

    // UTF-8, ready for standard output.
    virtual QByteArray write(const DeviceTable &table) const = 0;

    static std::unique_ptr<TableWriter> forFormat(OutputFormat format);
};
