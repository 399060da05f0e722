#include "alignedtablewriter.h"

#include "terminalcolumns.h"
#include "tsvwriter.h"

#include <algorithm>

namespace {

const QString ColumnGap = QStringLiteral("  ");

// Padding stops at the last cell with text, so that no line ends in padding.
QString line(const QStringList &cells, const QVector<int> &widths)
{
    int last = cells.size() - 1;
    while (last > 0 && cells.at(last).isEmpty())
        --last;
    QString text;
    for (int column = 0; column <= last; ++column) {
        if (column > 0)
            text += ColumnGap;
        text += cells.at(column);
        if (column < last)
            text +=
                QString(widths.at(column) - terminalColumns(cells.at(column)), QLatin1Char(' '));
    }
    return text + QLatin1Char('\n');
}

} // namespace

QByteArray AlignedTableWriter::write(const DeviceTable &table) const
{
    QVector<QStringList> lines{table.header};
    for (const QStringList &row : table.rows) {
        QStringList cells;
        for (const QString &field : row)
            cells << visible(field);
        lines.append(cells);
    }
    QVector<int> widths(table.header.size(), 0);
    for (const QStringList &cells : lines) {
        for (int column = 0; column < cells.size(); ++column)
            widths[column] = std::max(widths[column], terminalColumns(cells.at(column)));
    }
    QStringList rule;
    for (const int width : widths)
        rule << QString(width, QLatin1Char('-'));
    lines.insert(1, rule);

    QString text;
    for (const QStringList &cells : lines)
        text += line(cells, widths);
    return text.toUtf8();
}

QString AlignedTableWriter::visible(const QString &field)
{
    QString text;
    for (const QChar character : TsvWriter::escaped(field)) {
        if (character.category() == QChar::Other_Control)
            text += QStringLiteral("\\x%1").arg(character.unicode(), 2, 16, QLatin1Char('0'));
        else
            text += character;
    }
    return text;
}
