#include "interfacesearch.h"

#include "protocol.h"

namespace {

InterfaceSearch searched(
    const std::function<std::optional<std::string>(const discovery::ReplyHandler &onReply)> &search)
{
    InterfaceSearch found;
    const std::optional<std::string> failure =
        search([&found](const char *bytes, std::size_t size) {
            found.replies << discovery::replyText(bytes, size);
        });
    if (failure)
        found.failure = QString::fromStdString(*failure);
    return found;
}

} // namespace

InterfaceSearch searchFrom(const QString &address, int quietTimeMs,
                           const discovery::StopCheck &stopRequested)
{
    // A null address gives an empty text, which does not bind.
    return searched([&](const discovery::ReplyHandler &onReply) {
        return discovery::broadcastSearch(address.toStdString(), quietTimeMs, onReply,
                                          stopRequested);
    });
}

InterfaceSearch sweepFrom(const QString &address, const std::vector<std::uint32_t> &targets,
                          int requestsPerSecond, int quietTimeMs,
                          const discovery::StopCheck &stopRequested,
                          const SweepProgressHandler &progress)
{
    SweepProgress sofar{0, targets.size(), 0, false};
    const auto tell = [&] {
        if (progress)
            progress(sofar);
    };
    InterfaceSearch found = searched([&](const discovery::ReplyHandler &onReply) {
        return discovery::sweepSearch(
            address.toStdString(), targets, requestsPerSecond, quietTimeMs,
            [&](const char *bytes, std::size_t size) {
                onReply(bytes, size);
                ++sofar.heard;
                tell();
            },
            stopRequested,
            [&](std::size_t sent) {
                sofar.sent = sent;
                tell();
            });
    });
    sofar.done = true;
    tell();
    return found;
}

QString nobodyAnswered(const NetworkInterface &interface)
{
    return QStringLiteral("no device answered on %1. Where devices are, a firewall on this "
                          "computer may drop their replies (from UDP port %2 to a port the "
                          "system chose), or they are on another network segment.")
        .arg(interface.name())
        .arg(discovery::Port);
}

QString nobodyAnsweredAt(std::size_t addresses)
{
    return QStringLiteral("no device answered at the %1 address(es) asked. Where devices are, a "
                          "firewall on this computer may drop their replies (from UDP port %2 to "
                          "a port the system chose), or one on the way drops the requests.")
        .arg(addresses)
        .arg(discovery::Port);
}
