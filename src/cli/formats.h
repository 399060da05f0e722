#pragma once

#include <QByteArray>
#include <QStringList>
#include <QVector>

enum class OutputFormat { Table, Csv, Json, Tsv };

// What every output format prints: a header of column names and one row per reply.
struct DeviceTable {
    QStringList header;
    QVector<QStringList> rows;
    QVector<QStringList> warnings; // per row; json carries them, empty ones too
    // Printed a part at a time, as a watch goes: no header, and JSON Lines instead of one array.
    bool streamed = false;
};

// A backslash, tab, line feed and carriage return written as \\, \t, \n and \r,
// so that the text is one line and can be restored exactly.
QString tsvEscaped(const QString &text);

// The columns a terminal gives the text: each grapheme cluster is as wide as its
// widest code point (two for East Asian wide characters and emoji, none for
// combining marks).
int terminalColumns(const QString &text);

// UTF-8, ready for standard output.
QByteArray formatted(const DeviceTable &table, OutputFormat format);
