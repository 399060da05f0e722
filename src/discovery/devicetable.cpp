#include "devicetable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

// Apostrophes already at the start get one more too, so that reading takes exactly one away.
const QRegularExpression &formulaStart()
{
    static const QRegularExpression start(QStringLiteral("^'*[=+\\-@\t\r]"));
    return start;
}

} // namespace

QString csvCell(const QString &text)
{
    return formulaStart().match(text).hasMatch() ? '\'' + text : text;
}

QString csvCellText(const QString &cell)
{
    return cell.startsWith('\'') && formulaStart().match(cell).hasMatch() ? cell.mid(1) : cell;
}

QString tsvEscaped(const QString &text)
{
    return QString(text)
        .replace('\\', QLatin1String("\\\\"))
        .replace('\t', QLatin1String("\\t"))
        .replace('\n', QLatin1String("\\n"))
        .replace('\r', QLatin1String("\\r"));
}

QString visibleText(const QString &text)
{
    QString visible;
    for (const QChar character : tsvEscaped(text)) {
        if (character.category() == QChar::Other_Control)
            visible += QStringLiteral("\\x%1").arg(character.unicode(), 2, 16, QLatin1Char('0'));
        else
            visible += character;
    }
    return visible;
}

QString csvText(const DeviceTable &table, Layout layout)
{
    static const QRegularExpression needsQuotes(QStringLiteral("[,\"\r\n]"));
    QString text;
    for (const QStringList &row : layout == Layout::Streamed
                                      ? table.rows
                                      : QVector<QStringList>{table.header} + table.rows) {
        QStringList fields;
        for (const QString &cell : row) {
            QString field = csvCell(cell);
            if (field.contains(needsQuotes))
                field = '"' + field.replace('"', QLatin1String("\"\"")) + '"';
            fields << field;
        }
        text += fields.join(',') + QLatin1String("\r\n");
    }
    return text;
}

QByteArray jsonText(const DeviceTable &table, Layout layout)
{
    QJsonArray devices;
    QByteArray lines;
    for (int row = 0; row < table.rows.size(); ++row) {
        QJsonObject device;
        for (int column = 0; column < table.header.size(); ++column)
            device.insert(table.header[column], table.rows[row].value(column));
        if (!table.differences.isEmpty()) {
            QJsonArray differences;
            for (const FieldDifference &difference : table.differences.value(row))
                differences.append(QJsonObject{{"Field", difference.field},
                                               {"Found", difference.found},
                                               {"Expected", difference.expected}});
            device.insert(QStringLiteral("Differences"), differences);
        }
        if (!table.warnings.isEmpty())
            device.insert(QStringLiteral("Warnings"),
                          QJsonArray::fromStringList(table.warnings.value(row)));
        devices.append(device);
        lines += QJsonDocument(device).toJson(QJsonDocument::Compact) + '\n';
    }
    return layout == Layout::Streamed ? lines : QJsonDocument(devices).toJson();
}
