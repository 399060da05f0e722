#include "broadcastsearch.h"

#include "protocolconstants.h"
#include "udpsocket.h"

#include <utility>

namespace {
// Room for a burst of replies, so the kernel does not drop them before the loop reads them.
constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;
} // namespace

BroadcastSearch::BroadcastSearch(StopCheck stopRequested) : stopRequested_(std::move(stopRequested))
{
}

std::optional<std::string> BroadcastSearch::run(const char *interfaceAddress,
                                                const ReplyHandler &onReply) const
{
    const SocketLibrary library;
    if (!library.isStarted())
        return "WSAStartup failed";
    UdpSocket socket;
    if (!socket.isOpen())
        return "Socket creation failed";
    if (!socket.bindTo(interfaceAddress, 0))
        return "Bind to socket failed";
    if (!socket.allowBroadcast())
        return "setsockopt broadcast failed";
    if (!socket.setReceiveTimeout(discovery::QuietTimeMs))
        return "setsockopt timeout failed";
    socket.requestReceiveBuffer(ReceiveBufferBytes);
    if (!socket.sendTo(discovery::RequestText, discovery::RequestSize, UdpSocket::BroadcastAddress,
                       discovery::Port))
        return "sendto failed with error code: " + std::to_string(socket.lastError());

    char buffer[discovery::ReplyBufferSize];
    while (!stopRequested_()) {
        const UdpSocket::Received received = socket.receive(buffer, sizeof buffer);
        if (received.status == UdpSocket::ReceiveStatus::Oversized)
            continue; // not a reply; the devices after it still count
        if (received.status != UdpSocket::ReceiveStatus::Datagram)
            break; // the quiet time passed, or the socket gave up
        onReply(buffer, received.size);
    }
    return std::nullopt;
}
