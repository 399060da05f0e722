#include "interfacelist.h"

QVector<NetworkInterface> listedInterfaces(const std::vector<Adapter> &adapters)
{
    QVector<NetworkInterface> interfaces;
    for (const Adapter &adapter : adapters) {
        if (isListedAdapter(adapter.description))
            interfaces.append({QString::fromStdString(adapter.description),
                               QString::fromStdString(adapter.ipv4Address)});
    }
    return interfaces;
}
