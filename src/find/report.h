#pragma once

#include "formats.h"

#include <QStringList>

// What orvane-find tells: results on standard output, everything else on standard error.

// The rows on standard output, their warnings on standard error.
void show(const DeviceTable &table, OutputFormat format, Layout layout = Layout::Whole);

// Notes for the user, a line each, after the program's name.
void tell(const QStringList &notes);
