#include "replyjudgement.h"

#include "devicetable.h"
#include "platform/addresscommands.h"
#include "platform/ipv4.h"

#include <QHash>
#include <QSet>
#include <optional>

namespace {

// A flood of devices behind one address names a few, not all of them.
constexpr int OthersNamed = 3;

std::optional<quint32> ipv4(const QString &text)
{
    return parseIpv4(text.toStdString());
}

QString dotted(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg(address >> 16 & 255)
        .arg(address >> 8 & 255)
        .arg(address & 255);
}

// "10.0.0.7 (02:00:00:00:00:07)": how a warning names the device. Warnings reach terminals, so
// the device's text in them is visible.
QString deviceOf(const DeviceRecord &reply)
{
    const QString address = visibleText(reply.fields[DeviceRecord::IpAddressField]);
    const QString mac = visibleText(reply.fields[DeviceRecord::MacAddressField]);
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
    if (!interface.hasAddress() || !address || !mask)
        return std::nullopt;
    const quint32 network = *address & *mask;
    return Subnet{network, *mask,
                  QStringLiteral("%1/%2 (%3)")
                      .arg(dotted(network))
                      .arg(qPopulationCount(*mask))
                      .arg(interface.name())};
}

quint32 maskOfPrefix(int prefixLength)
{
    return prefixLength == 0 ? 0 : ~quint32(0) << (32 - prefixLength);
}

// Loopback, "this network" and multicast addresses are no subnet a computer can join.
bool isHostAddress(quint32 address)
{
    const quint32 first = address >> 24;
    return first != 0 && first != 127 && first < 224;
}

// One way for this computer to reach a device outside its subnet: take an address of the
// device's subnet, the highest host address no one took (devices tend to sit at the low end),
// for a while. Nothing where the device's address and netmask leave no such address.
struct Reach {
    QString advice;
    QString commands; // the add and the remove command, a line each
};

std::optional<Reach> reachOf(quint32 deviceAddress, quint32 deviceMask, const QSet<quint32> &taken,
                             const NetworkInterface &interface)
{
    const int prefixLength = qPopulationCount(deviceMask);
    const quint32 network = deviceAddress & deviceMask;
    // Wider than /8 is no local network; from /31 on there is no address to spare.
    if (deviceMask != maskOfPrefix(prefixLength) || prefixLength < 8 || prefixLength > 30 ||
        !isHostAddress(network))
        return std::nullopt;
    quint32 free = network | ~deviceMask; // the broadcast address, which no host may take
    do
        --free;
    while (free != network && taken.contains(free));
    if (free == network)
        return std::nullopt;
    const AddressCommands commands = addressCommands(
        {interface.name().toStdString(), interface.index, dotted(free).toStdString(),
         dotted(deviceMask).toStdString(), prefixLength});
    const QString add = QString::fromStdString(commands.add);
    const QString remove = QString::fromStdString(commands.remove);
    return Reach{QStringLiteral("To reach it, add the address %1/%2 to %3 for a while, with "
                                "administrator rights:\n  %4\nand remove it afterwards:\n  %5")
                     .arg(dotted(free))
                     .arg(prefixLength)
                     .arg(interface.name(), add, remove),
                 add + '\n' + remove};
}

} // namespace

Judgement judgedReplies(const QVector<DeviceRecord> &replies, const NetworkInterface &interface)
{
    // The MAC-Addresses an address was heard with, where there are several: how many, and the
    // first few as they were written. Most addresses have one, and
    // need no more than the first reply that has them.
    struct Claimants {
        QSet<QString> keys;
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
        const QString key = macAddressKey(mac);
        auto claimants = shared.find(address);
        if (claimants == shared.end()) {
            if (key == macAddressKey(firstMac))
                continue;
            claimants = shared.insert(address, {{macAddressKey(firstMac)}, {firstMac}});
        }
        if (!claimants->keys.contains(key)) {
            claimants->keys << key;
            if (claimants->first.size() <= OthersNamed)
                claimants->first << mac;
        }
    }

    Judgement judged{QVector<QStringList>(replies.size()), QVector<QString>(replies.size())};
    QVector<QStringList> &warnings = judged.warnings;
    const std::optional<Subnet> subnet = subnetOf(interface);
    // An address this computer takes must be no one's: neither a device's nor its own.
    QSet<quint32> taken(firstReplyWith.keyBegin(), firstReplyWith.keyEnd());
    if (subnet)
        taken << *ipv4(interface.address);
    QHash<QPair<quint32, quint32>, std::optional<Reach>> reachBySubnet; // network and mask
    const auto reachFor = [&](quint32 address, quint32 mask) {
        auto reach = reachBySubnet.find({address & mask, mask});
        if (reach == reachBySubnet.end())
            reach = reachBySubnet.insert({address & mask, mask},
                                         reachOf(address, mask, taken, interface));
        return *reach;
    };
    for (int i = 0; i < replies.size(); ++i) {
        const DeviceRecord &reply = replies.at(i);
        const std::optional<quint32> &address = addresses.at(i);
        if (subnet && (!address || (*address & subnet->mask) != subnet->network)) {
            QString warning = QStringLiteral("%1 is not in %2: its page may not open from this "
                                             "computer")
                                  .arg(deviceOf(reply), subnet->text);
            const std::optional<quint32> mask = ipv4(reply.fields[DeviceRecord::NetmaskField]);
            const std::optional<Reach> reach =
                address && mask ? reachFor(*address, *mask) : std::nullopt;
            warnings[i] << (reach ? warning + ".\n" + reach->advice : warning);
            if (reach)
                judged.reachCommands[i] = reach->commands;
        }
        const auto claimants = address ? shared.constFind(*address) : shared.constEnd();
        if (claimants == shared.constEnd())
            continue;
        const QString own = macAddressKey(reply.fields[DeviceRecord::MacAddressField]);
        QStringList others;
        for (const QString &mac : claimants->first) {
            if (others.size() < OthersNamed && macAddressKey(mac) != own)
                others << (mac.isEmpty() ? QStringLiteral("one without a MAC-Address")
                                         : visibleText(mac));
        }
        const int otherCount = claimants->keys.size() - 1;
        const int unnamed = otherCount - others.size();
        // The MAC-Addresses in parentheses, so that no colon of the sentence follows one.
        warnings[i] << QStringLiteral("%1 shares its address with %2 (%3%4): its page may be "
                                      "another device's")
                           .arg(deviceOf(reply),
                                otherCount == 1
                                    ? QStringLiteral("another device")
                                    : QStringLiteral("%1 other devices").arg(otherCount),
                                others.join(QLatin1String(", ")),
                                unnamed > 0 ? QStringLiteral(" and %1 more").arg(unnamed)
                                            : QString());
    }
    return judged;
}
