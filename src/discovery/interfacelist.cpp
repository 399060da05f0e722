#include "interfacelist.h"

QString NetworkInterface::name() const
{
    const QString first = description.section(QLatin1String(" ("), 0, 0);
    return first.contains(' ') ? description : first;
}

QVector<NetworkInterface> listedInterfaces(const std::vector<Adapter> &adapters)
{
    QVector<NetworkInterface> interfaces;
    for (const Adapter &adapter : adapters) {
        if (isListedAdapter(adapter.description))
            interfaces.append({QString::fromStdString(adapter.description),
                               QString::fromStdString(adapter.ipv4Address),
                               QString::fromStdString(adapter.ipv4Netmask), adapter.index,
                               adapter.linkUp});
    }
    return interfaces;
}

std::optional<QString> whyUnsearchable(const NetworkInterface &interface)
{
    if (!interface.hasAddress())
        return interface.name() + " has no IPv4 address to search from.";
    if (!interface.linkUp)
        return QStringLiteral("the link of %1 is down (the interface is not up, or has no "
                              "carrier).")
            .arg(interface.name());
    return std::nullopt;
}

bool isDeviceNetwork(const NetworkInterface &interface)
{
    return !whyUnsearchable(interface) && !interface.isLoopback();
}
