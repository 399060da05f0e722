#pragma once

#include "discovery/expectedlist.h"

#include <QIcon>
#include <optional>

class QTableWidget;
class QWidget;

// A list of the devices expected, which every search of the window is compared with while it is
// in effect: a sign and why in the Hostname cell of a device that differs or is not in the list,
// a grey row per expected device that did not answer, the summary, and the report to save.
class ListComparison {
public:
    // Asks for a CSV or JSON file; a list that cannot serve is said in an "Error" box, and what
    // was in effect stays. True when the chosen list is in effect.
    bool choose(QWidget *parent);
    void stop() { list_.reset(); }
    bool inEffect() const { return list_.has_value(); }

    // A search's replies and their warnings compared with the list: the expected devices that
    // did not answer, for rows after the replies'. None without a list.
    QVector<DeviceRecord> compare(const QVector<DeviceRecord> &replies,
                                  const QVector<QStringList> &warnings);
    // The table's rows as the last compare() left them, the replies' then the missing ones,
    // marked before any sorting moves them.
    void mark(QTableWidget *table, const QIcon &sign) const;
    // orvane-find's summary line; empty without a list.
    QString summary() const;
    bool isMissing(const QTableWidget *table, int row) const;
    // The rows as shown, as orvane-find --expect writes them.
    DeviceTable report(const QTableWidget *table) const;

private:
    const ComparedRow *comparedRow(const QTableWidget *table, int row) const;

    std::optional<ExpectedList> list_;
    Comparison compared_;
};
