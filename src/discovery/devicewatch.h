#pragma once

#include "devicetable.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <QVector>

// The devices a watch follows from search to search, each known by its MAC-Address, or by its
// whole reply where that is empty (and by its interface when rows are tagged with one).
class DeviceWatch {
public:
    struct Event {
        QString kind; // "appeared", "changed" or "gone"
        QStringList row;
        QStringList warnings;
    };

    // One search's rows as the table holds them: what appeared or changed in their order, then
    // what went away, missing from this search and the one before. A device whose tag (the rows'
    // columns past the reply's fields) is not among searchedTags was not looked for: it is not
    // missed.
    QVector<Event> update(const DeviceTable &found, const QSet<QString> &searchedTags);

private:
    struct Known {
        QStringList row;
        int missedSearches;
    };
    QMap<QString, Known> known_;
};

// What tells a device from another: its MAC-Address in any case, or its whole reply where that
// is empty, and the row's tag.
QString deviceIdentity(const QStringList &row);
