#pragma once

#include "interfacelist.h"
#include "platform/broadcastsearch.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// What one broadcast search from an interface's address brought: the reply texts in arrival
// order, or why it could not search.
struct InterfaceSearch {
    QStringList replies;
    std::optional<QString> failure;
};

// Runs on the calling thread until quietTimeMs pass without a reply, or stopRequested says so.
InterfaceSearch searchFrom(const QString &address, int quietTimeMs,
                           const discovery::StopCheck &stopRequested);

// How far a sweep has come: told after each request and each reply, and once at its end.
struct SweepProgress {
    std::size_t sent;
    std::size_t total;
    std::size_t heard;
    bool done;
};
using SweepProgressHandler = std::function<void(const SweepProgress &)>;

// The request to each target in turn instead of a broadcast, paced; see sweepSearch.
InterfaceSearch sweepFrom(const QString &address, const std::vector<std::uint32_t> &targets,
                          int requestsPerSecond, int quietTimeMs,
                          const discovery::StopCheck &stopRequested,
                          const SweepProgressHandler &progress);

// Why a search on the interface may have heard nothing, where devices were expected.
QString nobodyAnswered(const NetworkInterface &interface);
// The same for a sweep of that many addresses.
QString nobodyAnsweredAt(std::size_t addresses);
