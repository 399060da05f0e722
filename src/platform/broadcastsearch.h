#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class UdpSocket;

// One discovery search over the platform layer, free of Qt so that it runs
// unchanged on every platform and on any thread.
namespace discovery {

using ReplyHandler = std::function<void(const char *bytes, std::size_t size)>;
using StopCheck = std::function<bool()>;

// Broadcasts the request from the interface address (dotted decimal) and hands over each reply
// until quietTimeMs pass without one, or stopRequested says so. Returns the failure text for
// the user, or nothing when the search listened to its end.
std::optional<std::string> broadcastSearch(std::string_view interfaceAddress, int quietTimeMs,
                                           const ReplyHandler &onReply,
                                           const StopCheck &stopRequested);

// Sends the request to each target (host byte order) in turn, at most requestsPerSecond a
// second, from sourceAddress (0.0.0.0: as the routing chooses), and hands over each reply until
// quietTimeMs pass without one after the last request. A target that cannot be reached is
// skipped; only where no request could be sent at all is the search a failure. onSent, where
// given, hears how many requests have gone.
std::optional<std::string> sweepSearch(std::string_view sourceAddress,
                                       const std::vector<std::uint32_t> &targets,
                                       int requestsPerSecond, int quietTimeMs,
                                       const ReplyHandler &onReply, const StopCheck &stopRequested,
                                       const std::function<void(std::size_t)> &onSent = {});

// Hands over every reply that reaches the socket until quietTimeMs pass without
// one. A datagram too large for a reply is dropped and listening goes on.
// stopRequested is asked before every receive and at least every 100 ms.
void receiveReplies(UdpSocket &socket, int quietTimeMs, const ReplyHandler &onReply,
                    const StopCheck &stopRequested);

} // namespace discovery
