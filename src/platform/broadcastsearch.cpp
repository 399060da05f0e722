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

namespace {

// The socket a search sends from and listens on, bound to the address (dotted decimal; 0.0.0.0
// leaves the choice to the routing). Returns the failure text for the user, or nothing.
std::optional<std::string> prepare(UdpSocket &socket, std::string_view address, int quietTimeMs)
{
    if (!socket.isOpen())
        return "Socket creation failed";
    const std::optional<std::uint32_t> local = parseIpv4(address);
    if (!local || !socket.bindTo(*local, 0))
        return "Bind to socket failed";
    if (!socket.allowBroadcast())
        return "setsockopt broadcast failed";
    if (!socket.setReceiveTimeout(quietTimeMs))
        return "setsockopt timeout failed";
    socket.requestReceiveBuffer(ReceiveBufferBytes);
    return std::nullopt;
}

// A burst of replies is taken a batch at a time, so the socket's queue drains quickly.
class ReplyBatch {
public:
    // Hands over the replies waiting; false where the socket failed or timed out.
    bool take(UdpSocket &socket, const ReplyHandler &onReply)
    {
        const std::size_t count =
            socket.receiveMany(&buffers_[0][0], ReplyBufferSize, results_, Size);
        for (std::size_t i = 0; i < count; ++i) {
            switch (results_[i].status) {
            case UdpSocket::ReceiveStatus::Datagram:
                onReply(buffers_[i], results_[i].size);
                break;
            case UdpSocket::ReceiveStatus::Oversized:
                break; // not a reply; the devices after it still count
            case UdpSocket::ReceiveStatus::TimedOut:
            case UdpSocket::ReceiveStatus::Failed:
                return false;
            }
        }
        return true;
    }

private:
    static constexpr std::size_t Size = 64;
    char buffers_[Size][ReplyBufferSize];
    UdpSocket::Received results_[Size];
};

} // namespace

std::optional<std::string> broadcastSearch(std::string_view interfaceAddress, int quietTimeMs,
                                           const ReplyHandler &onReply,
                                           const StopCheck &stopRequested)
{
    return sweepSearch(interfaceAddress, {UdpSocket::BroadcastAddress}, 1, quietTimeMs, onReply,
                       stopRequested);
}

std::optional<std::string> sweepSearch(std::string_view sourceAddress,
                                       const std::vector<std::uint32_t> &targets,
                                       int requestsPerSecond, int quietTimeMs,
                                       const ReplyHandler &onReply, const StopCheck &stopRequested,
                                       const std::function<void(std::size_t)> &onSent)
{
    using Clock = std::chrono::steady_clock;
    const SocketLibrary library;
    if (!library.isStarted())
        return "WSAStartup failed";
    UdpSocket socket;
    if (const std::optional<std::string> failure = prepare(socket, sourceAddress, quietTimeMs))
        return failure;
    ReplyBatch batch;
    // The replies to the earlier requests are taken while the next one waits for its time; false
    // where a stop came first.
    const auto waitUntil = [&](Clock::time_point due) {
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now());
            if (left.count() <= 0)
                return true;
            if (stopRequested())
                return false;
            if (socket.waitForDatagram(static_cast<int>(std::min(left, StopCheckInterval).count())))
                batch.take(socket, onReply); // an error a router sent back ends nothing
        }
    };
    // Each request at its time from the start, so that a late one does not slow the rest.
    const Clock::time_point start = Clock::now();
    const std::chrono::nanoseconds interval(1000000000LL / requestsPerSecond);
    std::size_t asked = 0;
    std::size_t sent = 0;
    int lastFailure = 0;
    while (asked < targets.size() && waitUntil(start + interval * static_cast<long long>(asked))) {
        // An address the network cannot reach is no reason to leave the others unasked.
        if (socket.sendTo(RequestText, RequestSize, targets[asked], Port))
            ++sent;
        else
            lastFailure = socket.lastError();
        ++asked;
        if (onSent)
            onSent(asked);
    }
    if (sent == 0 && asked == targets.size() && asked > 0)
        return "sendto failed with error code: " + std::to_string(lastFailure);

    receiveReplies(socket, quietTimeMs, onReply, stopRequested);
    return std::nullopt;
}

void receiveReplies(UdpSocket &socket, int quietTimeMs, const ReplyHandler &onReply,
                    const StopCheck &stopRequested)
{
    using Clock = std::chrono::steady_clock;
    const std::chrono::milliseconds quietTime(quietTimeMs);
    ReplyBatch batch;
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
        if (!batch.take(socket, onReply))
            return;
        quietUntil = Clock::now() + quietTime;
    }
}

} // namespace discovery
