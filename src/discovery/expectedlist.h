#pragma once

#include "devicetable.h"
#include "protocol.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <variant>

// A list of the devices expected, compared with the devices that answered.
//
// A list row names its device by its MAC-Address (in any case) where it gives one, else by its
// Serial No, else by its Hostname; its other filled cells are what the device must show, its
// empty ones are not compared.

// The rows of the list, each as the seven fields (empty where the list says nothing).
using ExpectedList = QVector<DeviceRecord>;

// The list in the file, or why it cannot serve, naming the file (and for CSV the line).
std::variant<ExpectedList, QString> readExpectedList(const QString &path);

// The list in these bytes: CSV with a header row naming any of the seven columns in any order
// (other columns ignored, cells as csvCell guards them read back), or JSON, an array of objects
// with those keys. name: the file, as the reasons name it.
std::variant<ExpectedList, QString> parseExpectedList(const QByteArray &bytes, const QString &name);

enum class Check { AsExpected, Differs, Missing, Unexpected };

// A row of the comparison: an answer as it came (its cells, warnings and how it compares), or an
// expected device that did not answer (its expected fields).
struct ComparedRow {
    Check check;
    QStringList cells;
    QStringList warnings;
    QVector<FieldDifference> differences;
};

struct Comparison {
    // One per answer, in their order, then one per expected device that did not answer, in the
    // list's order.
    QVector<ComparedRow> rows;
    // Devices, each counted once however often it answered.
    int expected = 0;
    int asExpected = 0;
    int differing = 0;
    int missing = 0;
    int unexpected = 0;
};

// Each answer (the found table's rows: the seven fields, then any columns the search adds)
// matched with at most one row of the list. An answer whose seven fields repeat an earlier one
// is the same device heard again: it shows as that one does, counted once.
Comparison compared(const DeviceTable &found, const ExpectedList &expected);

// "Firmware Version" + afterField + "2.4.1, expected 2.5.0", several joined by "; ".
QString differencesText(const QVector<FieldDifference> &differences, const QString &afterField);

// What orvane-find --expect writes and the window saves: "Check", the found table's columns,
// "Differences" ("Firmware Version: 2.4.1, expected 2.5.0", several joined by "; ").
DeviceTable comparisonReport(const QStringList &foundHeader, const QVector<ComparedRow> &rows);

// "38 of 40 expected devices as expected; 1 differs, 1 missing; 2 unexpected"
QString comparisonSummary(const Comparison &comparison);

// Nothing differs, is missing or unexpected.
bool allAsExpected(const Comparison &comparison);
