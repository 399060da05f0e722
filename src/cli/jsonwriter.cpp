#include "jsonwriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray JsonWriter::write(const DeviceTable &table) const
{
    QJsonArray devices;
    for (const QStringList &row : table.rows) {
        QJsonObject device;
        for (int column = 0; column < table.header.size(); ++column)
            device.insert(table.header.at(column), row.value(column));
        devices.append(device);
    }
    return QJsonDocument(devices).toJson(QJsonDocument::Indented);
}
