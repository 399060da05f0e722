#pragma once

#include <QByteArray>
#include <QStringList>
#include <QVector>

// A field a device shows otherwise than a list expects.
struct FieldDifference {
    QString field; // its column's name
    QString found;
    QString expected;
};

// What a search found, as it is shown: a header of column names, one row per reply (its fields,
// then any columns the search adds), and the warnings of each row (none for a table of other
// things, such as interfaces).
struct DeviceTable {
    QStringList header;
    QVector<QStringList> rows;
    QVector<QStringList> warnings;
    // Where the table compares rows with a list: each row's differences, which json writes as
    // objects in place of the text of the column "Differences".
    QVector<QVector<FieldDifference>> differences = {};
};

// Whole: with a header, and json as one array. Streamed, a part at a time as a watch goes: no
// header, and json as JSON Lines.
enum class Layout { Whole, Streamed };

// The table as orvane-find's -f csv and -f json write it, and the window saves it.
// RFC 4180: a header row, CRLF after each row, quotes only where a field needs them; each cell
// as csvCell guards it.
QString csvText(const DeviceTable &table, Layout layout = Layout::Whole);

// A spreadsheet runs a cell that starts with =, +, -, @, a tab or a carriage return as a formula,
// so a device's text could: such a cell, after any apostrophes, gets one more at its start.
QString csvCell(const QString &text);
// The text a cell so written was.
QString csvCellText(const QString &cell);

// A backslash, tab, line feed and carriage return written as \\, \t, \n and \r,
// so that the text is one line and can be restored exactly.
QString tsvEscaped(const QString &text);
// A device's text as a terminal may show it: as tsvEscaped, and any other control character as
// \xHH, so that it can neither move the cursor nor start a line that looks like the program's own.
QString visibleText(const QString &text);

// UTF-8: objects keyed by the column names, each with its "Warnings" where the table has them,
// and its "Differences" as {"Field", "Found", "Expected"} objects where the table has those.
QByteArray jsonText(const DeviceTable &table, Layout layout = Layout::Whole);
