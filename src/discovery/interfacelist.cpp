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
