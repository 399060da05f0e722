#pragma once

#include "discovery/devicetable.h"

#include <QByteArray>
#include <QString>

enum class OutputFormat { Table, Csv, Json, Tsv };

// The columns a terminal gives the text: each grapheme cluster is as wide as its
// widest code point (two for East Asian wide characters and emoji, none for
// combining marks).
int terminalColumns(const QString &text);

// UTF-8, ready for standard output. json carries each row's warnings, empty ones too.
QByteArray formatted(const DeviceTable &table, OutputFormat format, Layout layout = Layout::Whole);
