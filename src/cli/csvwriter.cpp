#include "csvwriter.h"

#include <QRegularExpression>

namespace {

QString quoted(const QString &field)
{
    static const QRegularExpression needsQuotes(QStringLiteral("[,\"\r\n]"));
    if (!field.contains(needsQuotes))
        return field;
    QString text = field;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString record(const QStringList &fields)
{
    QStringList quotedFields;
    for (const QString &field : fields)
        quotedFields << quoted(field);
    return quotedFields.join(QLatin1Char(',')) + QLatin1String("\r\n");
}

} // namespace

QByteArray CsvWriter::write(const DeviceTable &table) const
{
    QString text = record(table.header);
    for (const QStringList &row : table.rows)
        text += record(row);
    return text.toUtf8();
}
