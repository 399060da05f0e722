#pragma once

#include "interfacelist.h"
#include "platform/broadcastsearch.h"

#include <QString>
#include <QStringList>
#include <optional>

// What one broadcast search from an interface's address brought: the reply texts in arrival
// order, or why it could not search.
struct InterfaceSearch {
    QStringList replies;
    std::optional<QString> failure;
};

// Runs on the calling thread until quietTimeMs pass without a reply, or stopRequested says so.
InterfaceSearch searchFrom(const QString &address, int quietTimeMs,
                           const discovery::StopCheck &stopRequested);

// Why a search on the interface may have heard nothing, where devices were expected.
QString nobodyAnswered(const NetworkInterface &interface);
