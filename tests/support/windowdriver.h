#pragma once

#include "ui/mainwindow.h"

#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QtTest>

// What tests of the finder's window do to it and read from it, by the
// widgets' object names, as a user would see them.
namespace windowdriver {

using Rows = QList<QStringList>;

template <typename T> T *child(MainWindow &window, const char *name)
{
    return window.findChild<T *>(name);
}

inline QTableWidget *table(MainWindow &window)
{
    return child<QTableWidget>(window, "tableWidget");
}

inline QString status(MainWindow &window)
{
    return child<QLabel>(window, "lbStatus")->text();
}

inline void click(MainWindow &window, const char *button)
{
    QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
}

// Every row's cells; "<none>" for a cell without an item.
inline Rows rows(MainWindow &window)
{
    QTableWidget *results = table(window);
    Rows result;
    for (int row = 0; row < results->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < results->columnCount(); ++column) {
            const QTableWidgetItem *item = results->item(row, column);
            cells << (item ? item->text() : QStringLiteral("<none>"));
        }
        result << cells;
    }
    return result;
}

} // namespace windowdriver
