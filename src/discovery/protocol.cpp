#include "protocol.h"

#include "platform/ipv4.h"

#include <cstring>

namespace discovery {

QString replyText(const char *bytes, std::size_t size)
{
    const void *zero = std::memchr(bytes, '\0', size);
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char *>(zero) - bytes) : size;
    return QString::fromUtf8(bytes, static_cast<int>(length));
}

} // namespace discovery

DeviceRecord DeviceRecord::fromReplyText(const QString &replyText)
{
    // Scanned by hand: a burst of replies should cost one string per field and nothing more.
    DeviceRecord record;
    int start = 0;
    for (QString &field : record.fields) {
        const int bar = replyText.indexOf(QLatin1Char('|'), start);
        field = replyText.mid(start, bar < 0 ? -1 : bar - start);
        if (bar < 0)
            break;
        start = bar + 1;
    }
    return record;
}

const QStringList &DeviceRecord::fieldNames()
{
    static const QStringList names =
        QStringLiteral(
            "Hostname;IP-Address;Netmask;MAC-Address;Product Name;Serial No;Firmware Version")
            .split(QLatin1Char(';'));
    return names;
}

const QStringList &DeviceRecord::fieldKeys()
{
    static const QStringList keys{"hostname", "ip",     "netmask", "mac",
                                  "product",  "serial", "firmware"};
    return keys;
}

QVector<DeviceRecord> deviceRecords(const QStringList &replyTexts)
{
    QVector<DeviceRecord> records;
    records.reserve(replyTexts.size());
    for (const QString &text : replyTexts)
        records << DeviceRecord::fromReplyText(text);
    return records;
}

QString macAddressKey(const QString &macAddress)
{
    return macAddress.toUpper();
}

bool fieldLess(int field, const QString &a, const QString &b)
{
    if (field == DeviceRecord::IpAddressField || field == DeviceRecord::NetmaskField) {
        const std::optional<std::uint32_t> x = parseIpv4(a.toStdString());
        const std::optional<std::uint32_t> y = parseIpv4(b.toStdString());
        if (x || y)
            return x && y ? *x < *y : x.has_value();
    }
    return a.compare(b, Qt::CaseInsensitive) < 0;
}
