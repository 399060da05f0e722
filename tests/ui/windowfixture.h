#pragma once

#include "support/support.h"
#include "ui/mainwindow.h"

#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>

// What the window suites share: a window on given adapters, its widgets, its rows.

using Adapters = std::optional<std::vector<Adapter>>;

// Closes the plain message boxes (no parent, one OK) while it lives: "Title: text (icon)".
struct MessageBoxCloser {
    QStringList seen;
    QTimer timer;

    MessageBoxCloser()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(widget);
                if (box && box->isVisible() && !box->parentWidget() &&
                    box->standardButtons() == QMessageBox::Ok) {
                    seen << box->windowTitle() + ": " + box->text() +
                                QString(" (%1)").arg(box->icon());
                    box->done(0);
                }
            }
        });
        timer.start(10);
    }
};

class WindowFixture {
protected:
    std::unique_ptr<MainWindow> window;

    void open(const Adapters &adapters)
    {
        window.reset();
        static Adapters given; // what the window's adapter query gives
        given = adapters;
        window = std::make_unique<MainWindow>(nullptr, [] { return given; });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    template <typename T = QWidget> T *widget(const char *name)
    {
        return window->findChild<T *>(name);
    }
    QTableWidget *table() { return widget<QTableWidget>("tableWidget"); }
    QString status() { return widget<QLabel>("lbStatus")->text(); }
    // Every row as the table shows it, its cells joined by "|".
    QStringList rows()
    {
        QStringList shown;
        for (int row = 0; row < table()->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < table()->columnCount(); ++column)
                cells << (table()->item(row, column) ? table()->item(row, column)->text() : "?");
            shown << cells.join('|');
        }
        return shown;
    }
    void click(const char *button) { QTest::mouseClick(widget(button), Qt::LeftButton); }
};
