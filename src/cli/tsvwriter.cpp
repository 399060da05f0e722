#include "tsvwriter.h"

QByteArray TsvWriter::write(const DeviceTable &table) const
{
    QString text;
    for (const QStringList &row : table.rows) {
        QStringList fields;
        for (const QString &field : row)
            fields << escaped(field);
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

QString TsvWriter::escaped(const QString &field)
{
    QString text;
    text.reserve(field.size());
    for (const QChar character : field) {
        switch (character.unicode()) {
        case '\\':
            text += QLatin1String("\\\\");
            break;
        case '\t':
            text += QLatin1String("\\t");
            break;
        case '\n':
            text += QLatin1String("\\n");
            break;
        case '\r':
            text += QLatin1String("\\r");
            break;
        default:
            text += character;
        }
    }
    return text;
}
