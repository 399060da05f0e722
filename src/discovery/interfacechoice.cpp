#include "interfacechoice.h"

#include <QSet>
#include <algorithm>
#include <iterator>

namespace {

QString listing(const QVector<NetworkInterface> &interfaces)
{
    QString text;
    for (const NetworkInterface &interface : interfaces)
        text += QStringLiteral("\n  %1  %2").arg(interface.description, interface.address);
    return text;
}

} // namespace

std::variant<QVector<NetworkInterface>, QString>
chooseInterfaces(const QVector<NetworkInterface> &listed, const std::optional<QString> &named,
                 bool all)
{
    QVector<NetworkInterface> chosen;
    QSet<QString> addresses;
    for (const NetworkInterface &interface : listed) {
        const bool wanted = named ? interface.description == *named ||
                                        interface.address == *named || interface.name() == *named
                                  : !whyUnsearchable(interface);
        // A second search from the same address would only hear the same replies again.
        if (wanted && !addresses.contains(interface.address)) {
            chosen << interface;
            addresses << interface.address;
        }
    }
    if (named && chosen.isEmpty())
        return QStringLiteral("No listed interface has the description, name or address '%1'. "
                              "The interfaces are:%2")
            .arg(*named, listing(listed));
    if (named && chosen.size() > 1)
        return QStringLiteral("'%1' names more than one interface; give its address:%2")
            .arg(*named, listing(chosen));
    if (named || (all && !chosen.isEmpty()))
        return chosen;
    if (all)
        return QStringLiteral("No listed interface has an IPv4 address and a link that is up.") +
               (listed.isEmpty() ? QString() : " The interfaces are:" + listing(listed));
    QVector<NetworkInterface> deviceNetworks;
    std::copy_if(listed.begin(), listed.end(), std::back_inserter(deviceNetworks), isDeviceNetwork);
    if (deviceNetworks.size() == 1)
        return deviceNetworks;
    // Where none can search, the one it would have chosen says why.
    QVector<NetworkInterface> outsideLoopback;
    std::copy_if(listed.begin(), listed.end(), std::back_inserter(outsideLoopback),
                 [](const NetworkInterface &interface) { return !interface.isLoopback(); });
    if (deviceNetworks.isEmpty() && listed.size() == 1)
        return listed;
    if (deviceNetworks.isEmpty() && outsideLoopback.size() == 1)
        return outsideLoopback;
    if (listed.isEmpty())
        return QStringLiteral("No network interface is listed to search on.");
    return QStringLiteral("Several interfaces are listed: choose one with --interface, or search "
                          "on all with --all.%1")
        .arg(listing(listed));
}

int preferredInterface(const QVector<NetworkInterface> &listed)
{
    const auto found = std::find_if(listed.begin(), listed.end(), isDeviceNetwork);
    return found != listed.end() ? int(found - listed.begin()) : listed.isEmpty() ? -1 : 0;
}
