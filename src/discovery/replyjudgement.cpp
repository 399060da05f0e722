#include "replyjudgement.h"

#include <QHash>
#include <QSet>
#include <optional>

namespace {

// A flood of devices behind one address names a few, not all of them.
constexpr int OthersNamed = 3;

// Four numbers from 0 to 255 and nothing else. A leading zero is refused: a browser reads
// "010" as octal and would open another address than the one shown.
std::optional<quint32> ipv4(const QString &text)
{
    const QVector<QStringRef> parts = text.splitRef(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (const QStringRef &part : parts) {
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.at(0) == '0'))
            return std::nullopt;
        uint number = 0;
        for (const QChar digit : part) {
            if (digit < QLatin1Char('0') || digit > QLatin1Char('9'))
                return std::nullopt;
            number = number * 10 + (digit.unicode() - '0');
        }
        if (number > 255)
            return std::nullopt;
        address = address << 8 | number;
    }
    return address;
}

QString dotted(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg(address >> 16 & 255)
        .arg(address >> 8 & 255)
        .arg(address & 255);
}

// "10.0.0.7 (02:00:00:00:00:07)": how a warning names the device.
QString deviceOf(const DeviceRecord &reply)
{
    const QString &address = reply.fields[DeviceRecord::IpAddressField];
    const QString &mac = reply.fields[DeviceRecord::MacAddressField];
    return (address.isEmpty() ? QStringLiteral("A device without an IP-Address") : address) +
           (mac.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(mac));
}

struct Subnet {
    quint32 network;
    quint32 mask;
    QString text; // "10.88.1.0/24 (lanA0)"
};

std::optional<Subnet> subnetOf(const NetworkInterface &interface)
{
    const std::optional<quint32> address = ipv4(interface.address);
    const std::optional<quint32> mask = ipv4(interface.netmask);
    if (!address || !mask || *address == 0)
        return std::nullopt;
    const quint32 network = *address & *mask;
    return Subnet{network, *mask,
                  QStringLiteral("%1/%2 (%3)")
                      .arg(dotted(network))
                      .arg(qPopulationCount(*mask))
                      .arg(interface.name())};
}

} // namespace

QVector<QStringList> judgedReplies(const QVector<DeviceRecord> &replies,
                                   const NetworkInterface &interface)
{
    // The MAC-Addresses an address was heard with, where there are several (without regard to
    // case): how many, and the first few as they were written. Most addresses have one, and
    // need no more than the first reply that has them.
    struct Claimants {
        QSet<QString> folded;
        QStringList first;
    };
    QVector<std::optional<quint32>> addresses;
    addresses.reserve(replies.size());
    QHash<quint32, int> firstReplyWith;
    firstReplyWith.reserve(replies.size());
    QHash<quint32, Claimants> shared;
    for (int i = 0; i < replies.size(); ++i) {
        addresses << ipv4(replies.at(i).fields[DeviceRecord::IpAddressField]);
        if (!addresses.last())
            continue;
        const quint32 address = *addresses.last();
        const int first = firstReplyWith.value(address, -1);
        if (first == -1) {
            firstReplyWith.insert(address, i);
            continue;
        }
        const QString &mac = replies.at(i).fields[DeviceRecord::MacAddressField];
        const QString &firstMac = replies.at(first).fields[DeviceRecord::MacAddressField];
        auto claimants = shared.find(address);
        if (claimants == shared.end()) {
            if (mac.compare(firstMac, Qt::CaseInsensitive) == 0)
                continue;
            claimants = shared.insert(address, {{firstMac.toUpper()}, {firstMac}});
        }
        if (!claimants->folded.contains(mac.toUpper())) {
            claimants->folded << mac.toUpper();
            if (claimants->first.size() <= OthersNamed)
                claimants->first << mac;
        }
    }

    QVector<QStringList> warnings(replies.size());
    const std::optional<Subnet> subnet = subnetOf(interface);
    for (int i = 0; i < replies.size(); ++i) {
        const DeviceRecord &reply = replies.at(i);
        const std::optional<quint32> &address = addresses.at(i);
        if (subnet && (!address || (*address & subnet->mask) != subnet->network))
            warnings[i] << QStringLiteral("%1 is not in %2: its page may not open from this "
                                          "computer")
                               .arg(deviceOf(reply), subnet->text);
        const auto claimants = address ? shared.constFind(*address) : shared.constEnd();
        if (claimants == shared.constEnd())
            continue;
        QStringList others;
        for (const QString &mac : claimants->first) {
            if (others.size() < OthersNamed &&
                mac.compare(reply.fields[DeviceRecord::MacAddressField], Qt::CaseInsensitive) != 0)
                others << (mac.isEmpty() ? QStringLiteral("a device without a MAC-Address") : mac);
        }
        const int unnamed = claimants->folded.size() - 1 - others.size();
        warnings[i] << QStringLiteral("%1 shares its address with %2%3: its page may be another "
                                      "device's")
                           .arg(deviceOf(reply), others.join(QLatin1String(", ")),
                                unnamed > 0 ? QStringLiteral(" and %1 more").arg(unnamed)
                                            : QString());
    }
    return warnings;
}
