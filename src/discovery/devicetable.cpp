#include "devicetable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

QString csvText(const DeviceTable &table, Layout layout)
{
    static const QRegularExpression needsQuotes(QStringLiteral("[,\"\r\n]"));
    QString text;
    for (const QStringList &row : layout == Layout::Streamed
                                      ? table.rows
                                      : QVector<QStringList>{table.header} + table.rows) {
        QStringList fields;
        for (QString field : row) {
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
        if (!table.warnings.isEmpty())
            device.insert(QStringLiteral("Warnings"),
                          QJsonArray::fromStringList(table.warnings.value(row)));
        devices.append(device);
        lines += QJsonDocument(device).toJson(QJsonDocument::Compact) + '\n';
    }
    return layout == Layout::Streamed ? lines : QJsonDocument(devices).toJson();
}
