#include "interfacesearch.h"

#include "protocol.h"

InterfaceSearch searchFrom(const QString &address, int quietTimeMs,
                           const discovery::StopCheck &stopRequested)
{
    InterfaceSearch search;
    // A null address gives an empty text, which does not bind.
    const std::optional<std::string> failure = discovery::broadcastSearch(
        address.toStdString(), quietTimeMs,
        [&search](const char *bytes, std::size_t size) {
            search.replies << discovery::replyText(bytes, size);
        },
        stopRequested);
    if (failure)
        search.failure = QString::fromStdString(*failure);
    return search;
}

QString nobodyAnswered(const NetworkInterface &interface)
{
    return QStringLiteral("no device answered on %1. Where devices are, a firewall on this "
                          "computer may drop their replies (from UDP port %2 to a port the "
                          "system chose), or they are on another network segment.")
        .arg(interface.name())
        .arg(discovery::Port);
}
