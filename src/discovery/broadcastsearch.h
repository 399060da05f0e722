#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

// One discovery search over the platform layer, free of Qt so that it runs
// unchanged on every platform: broadcasts the request from the interface
// address and hands over each reply until a second passes without one.
class BroadcastSearch {
public:
    using ReplyHandler = std::function<void(const char *bytes, std::size_t size)>;
    using StopCheck = std::function<bool()>;

    // Asked before each wait for a reply; true ends the search early.
    explicit BroadcastSearch(StopCheck stopRequested);

    // The failure text for the user, or nothing when the search listened to its end.
    std::optional<std::string> run(const char *interfaceAddress, const ReplyHandler &onReply) const;

private:
    StopCheck stopRequested_;
};
