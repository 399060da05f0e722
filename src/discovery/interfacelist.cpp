#include "interfacelist.h"

bool isListedAdapter(const QString &description)
{
    static const char *const excluded[] = {"microsoft virtual", "vmware", "bluetooth"};
    for (const char *text : excluded) {
        if (description.indexOf(QLatin1String(text), 0, Qt::CaseInsensitive) >= 0)
            return false;
    }
    return true;
}

QVector<NetworkInterface> listedInterfaces(const std::vector<Adapter> &adapters)
{
    QVector<NetworkInterface> interfaces;
    for (const Adapter &adapter : adapters) {
        const QString description = QString::fromStdString(adapter.description);
        if (isListedAdapter(description))
            interfaces.append({description, QString::fromStdString(adapter.ipv4Address)});
    }
    return interfaces;
}
