#pragma once

#include "platform/protocolconstants.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <cstddef>

// The discovery conversation: one fixed broadcast request, one text datagram per reply.
namespace discovery {

// The bytes before the first zero byte, decoded as UTF-8; never reads past size.
QString replyText(const char *bytes, std::size_t size);

} // namespace discovery

// The seven "|"-separated fields of a reply text.
struct DeviceRecord {
    static constexpr int FieldCount = 7;
    static constexpr int IpAddressField = 1; // the page Launch opens
    static constexpr int NetmaskField = 2;
    static constexpr int MacAddressField = 3;

    // Fields past the seventh are ignored; missing ones are empty.
    static DeviceRecord fromReplyText(const QString &replyText);
    // "Hostname", "IP-Address", ... "Firmware Version"
    static const QStringList &fieldNames();
    // The fields as the command lines name them: "hostname", "ip", ... "firmware"
    static const QStringList &fieldKeys();

    std::array<QString, FieldCount> fields;
};

// Each reply text as its record, in the same order.
QVector<DeviceRecord> deviceRecords(const QStringList &replyTexts);

// A MAC-Address as it tells one device from another: in any case.
QString macAddressKey(const QString &macAddress);

// The order a list sorts in by a field: IP-Address and Netmask by their numbers, with texts that
// are no address after them; every other field as text without regard to case.
bool fieldLess(int field, const QString &a, const QString &b);
