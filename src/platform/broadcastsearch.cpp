#include "broadcastsearch.h"

#include "ipv4.h"
#include "protocolconstants.h"
#include "udpsocket.h"

#include <algorithm>
#include <chrono>

namespace {
// Room for a burst of replies, so the kernel does not drop them before the loop reads them.
constexpr int ReceiveBufferBytes = 4 * 1024 * 1024;
// How late a stop request may be noticed, however long the quiet time.
constexpr std::chrono::milliseconds StopCheckInterval(100);
} // namespace

namespace discovery {

std::optional<std::string> broadcastSearch(std::string_view interfaceAddress, int quietTimeMs,
                                           const ReplyHandler &onReply,
                                           const StopCheck &stopRequested)
{
    const SocketLibrary library;
    if (!library.isStarted())
        return "WSAStartup failed";
    UdpSocket socket;
    if (!socket.isOpen())
        return "Socket creation failed";
    const std::optional<std::uint32_t> address = parseIpv4(interfaceAddress);
    if (!address || !socket.bindTo(*address, 0))
        return "Bind to socket failed";
    if (!socket.allowBroadcast())
        return "setsockopt broadcast failed";
    if (!socket.setReceiveTimeout(quietTimeMs))
        return "setsockopt timeout failed";
    socket.requestReceiveBuffer(ReceiveBufferBytes);
    if (!socket.sendTo(RequestText, RequestSize, UdpSocket::BroadcastAddress, Port))
        return "sendto failed with error code: " + std::to_string(socket.lastError());

    receiveReplies(socket, quietTimeMs, onReply, stopRequested);
    return std::nullopt;
}

void receiveReplies(UdpSocket &socket, int quietTimeMs, const ReplyHandler &onReply,
                    const StopCheck &stopRequested)
{
    using Clock = std::chrono::steady_clock;
    const std::chrono::milliseconds quietTime(quietTimeMs);
    // A burst of replies is taken a batch at a time, so the socket's queue drains quickly.
    constexpr std::size_t Batch = 64;
    char buffers[Batch][ReplyBufferSize];
    UdpSocket::Received results[Batch];
    Clock::time_point quietUntil = Clock::now() + quietTime;
    while (!stopRequested()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(quietUntil - Clock::now());
        if (left.count() <= 0)
            return; // the quiet time passed
        if (!socket.waitForDatagram(static_cast<int>(std::min(left, StopCheckInterval).count()))) {
            if (socket.lastError() != 0)
                return; // the socket gave up
            continue;
        }
        const std::size_t count =
            socket.receiveMany(&buffers[0][0], ReplyBufferSize, results, Batch);
        for (std::size_t i = 0; i < count; ++i) {
            switch (results[i].status) {
            case UdpSocket::ReceiveStatus::Datagram:
                onReply(buffers[i], results[i].size);
                break;
            case UdpSocket::ReceiveStatus::Oversized:
                break; // not a reply; the devices after it still count
            case UdpSocket::ReceiveStatus::TimedOut:
            case UdpSocket::ReceiveStatus::Failed:
                return;
            }
        }
        quietUntil = Clock::now() + quietTime;
    }
}

} // namespace discovery
