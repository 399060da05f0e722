#pragma once

#include "interfacesearches.h"

#include <QStringList>
#include <QVector>
#include <vector>

// The rows every output format prints: a header of column names and one row per reply.
struct DeviceTable {
    QStringList header;
    QVector<QStringList> rows;

    // The seven fields of each reply, and the interface's description as an eighth
    // column when tagged.
    static DeviceTable fromSearches(const std::vector<InterfaceSearchResult> &searches,
                                    bool tagInterface);
};
