#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class UdpSocket;

// One discovery search over the platform layer, free of Qt so that it runs
// unchanged on every platform: broadcasts the request from the interface
// address and hands over each reply until the quiet time passes without one.
class BroadcastSearch {
public:
    using ReplyHandler = std::function<void(const char *bytes, std::size_t size)>;
    using StopCheck = std::function<bool()>;

    // Asked before each wait for replies; true ends the search early.
    explicit BroadcastSearch(StopCheck stopRequested);

    // The failure text for the user, or nothing when the search listened to its end.
    std::optional<std::string> run(const char *interfaceAddress, int quietTimeMs,
                                   const ReplyHandler &onReply) const;

private:
    StopCheck stopRequested_;
};

namespace discovery {

// Hands over every reply that reaches the socket until its receive time-out
// passes without one. A datagram too large for a reply is dropped and listening
// goes on. stopRequested is asked before every receive.
void receiveReplies(UdpSocket &socket, const BroadcastSearch::ReplyHandler &onReply,
                    const BroadcastSearch::StopCheck &stopRequested);

} // namespace discovery
