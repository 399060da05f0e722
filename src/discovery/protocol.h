#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>

// The discovery conversation: one fixed broadcast request, one text datagram per reply.
namespace discovery {

inline constexpr char RequestText[] = "vkr_hello_hardware";
// The terminating zero byte is not part of the request.
inline constexpr std::size_t RequestSize = sizeof(RequestText) - 1;
inline constexpr std::uint16_t Port = 49999;
// A reply larger than this is not a reply.
inline constexpr std::size_t ReplyBufferSize = 256;
// A search ends once this long passes without a reply.
inline constexpr int QuietTimeMs = 1000;

// The bytes before the first zero byte, decoded as UTF-8; never reads past size.
QString replyText(const char *bytes, std::size_t size);

} // namespace discovery

// The seven "|"-separated fields of a reply text.
struct DeviceRecord {
    static constexpr int FieldCount = 7;

    // Fields past the seventh are ignored; missing ones are empty.
    static DeviceRecord fromReplyText(const QString &replyText);
    // "Hostname", "IP-Address", ... "Firmware Version"
    static const QStringList &fieldNames();

    const QString &ipAddress() const { return fields[1]; }

    std::array<QString, FieldCount> fields;
};
