#pragma once

#include "discovery/broadcastsearch.h"
#include "discovery/interfacelist.h"

#include <QStringList>
#include <optional>
#include <vector>

// What one interface's search brought.
struct InterfaceSearchResult {
    NetworkInterface interface;
    QStringList replies; // reply texts in arrival order
    std::optional<QString> failure;
};

// One search per interface, all at once, each on a thread of its own; in the
// interfaces' order once every one has ended, or stopRequested has ended them.
std::vector<InterfaceSearchResult> searchInterfaces(const QVector<NetworkInterface> &interfaces,
                                                    int quietTimeMs,
                                                    const discovery::StopCheck &stopRequested);
