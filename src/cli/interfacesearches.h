#pragma once

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

// Runs one SearchDevices per interface, all at once, and waits for every one to end.
class InterfaceSearches {
public:
    InterfaceSearches(QVector<NetworkInterface> interfaces, int quietTimeMs);

    // In the order of the interfaces.
    std::vector<InterfaceSearchResult> run() const;

private:
    QVector<NetworkInterface> interfaces_;
    int quietTimeMs_;
};
