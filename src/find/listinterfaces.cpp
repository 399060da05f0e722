#include "findmodes.h"
#include "report.h"

int listInterfaces(const QVector<NetworkInterface> &listed, OutputFormat format)
{
    DeviceTable interfaces{{"Interface", "IP-Address"}, {}, {}};
    for (const NetworkInterface &interface : listed)
        interfaces.rows << QStringList{interface.description, interface.address};
    show(interfaces, format);
    return Searched;
}
