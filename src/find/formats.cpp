#include "formats.h"

#include <algorithm>
#include <utf8proc.h>

namespace {

QString tsv(const DeviceTable &table)
{
    QString text;
    for (const QStringList &row : table.rows) {
        QStringList fields;
        for (const QString &field : row)
            fields << tsvEscaped(field);
        text += fields.join('\t') + '\n';
    }
    return text;
}

// Aligned columns two blanks apart, a rule under the header; no line ends in padding.
QString aligned(const DeviceTable &table, Layout layout)
{
    QVector<QStringList> lines;
    if (layout == Layout::Whole)
        lines << table.header;
    for (const QStringList &row : table.rows) {
        QStringList cells;
        for (const QString &field : row)
            cells << visibleText(field);
        lines << cells;
    }
    QVector<int> widths(table.header.size(), 0);
    for (const QStringList &cells : lines) {
        for (int column = 0; column < cells.size(); ++column)
            widths[column] = std::max(widths[column], terminalColumns(cells[column]));
    }
    QStringList rule;
    for (const int width : widths)
        rule << QString(width, '-');
    if (layout == Layout::Whole)
        lines.insert(1, rule);

    QString text;
    for (const QStringList &cells : lines) {
        int last = cells.size() - 1;
        while (last > 0 && cells[last].isEmpty())
            --last;
        for (int column = 0; column <= last; ++column) {
            text += cells[column];
            if (column < last)
                text += QString(widths[column] - terminalColumns(cells[column]) + 2, ' ');
        }
        text += '\n';
    }
    return text;
}

} // namespace

int terminalColumns(const QString &text)
{
    int columns = 0;
    int cluster = 0;
    utf8proc_int32_t state = 0;
    utf8proc_int32_t previous = -1;
    for (const uint codePoint : text.toUcs4()) {
        const auto current = static_cast<utf8proc_int32_t>(codePoint);
        if (previous >= 0 && utf8proc_grapheme_break_stateful(previous, current, &state)) {
            columns += cluster;
            cluster = 0;
        }
        cluster = std::max(cluster, utf8proc_charwidth(current));
        previous = current;
    }
    return columns + cluster;
}

QByteArray formatted(const DeviceTable &table, OutputFormat format, Layout layout)
{
    switch (format) {
    case OutputFormat::Table:
        return aligned(table, layout).toUtf8();
    case OutputFormat::Csv:
        return csvText(table, layout).toUtf8();
    case OutputFormat::Json:
        return jsonText(table, layout);
    case OutputFormat::Tsv:
        break;
    }
    return tsv(table).toUtf8();
}
