#include "protocol.h"

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
    DeviceRecord record;
    const QVector<QStringRef> parts = replyText.splitRef(QLatin1Char('|'));
    const int count = std::min(parts.size(), FieldCount);
    for (int i = 0; i < count; ++i)
        record.fields[static_cast<std::size_t>(i)] = parts[i].toString();
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
