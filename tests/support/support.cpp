#include "support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>

Simulator::Simulator(const QStringList &arguments, const QString &host)
{
    if (host.isEmpty())
        process.start(ORVANE_DEVICE_SIM, arguments);
    else
        process.start("ip", QStringList{"netns", "exec",
                                        qEnvironmentVariable("ORVANE_TESTBED") + '-' + host,
                                        ORVANE_DEVICE_SIM} +
                                arguments);
    const QDeadlineTimer deadline(5000);
    while (!listening_ && process.waitForReadyRead(int(deadline.remainingTime())))
        listening_ = !lines("listening on ").isEmpty();
}

Simulator::~Simulator()
{
    process.terminate();
    if (!process.waitForFinished(3000))
        process.kill();
    process.waitForFinished();
}

QStringList Simulator::lines(const QString &start)
{
    process.waitForReadyRead(0);
    output_ += QString::fromUtf8(process.readAllStandardOutput());
    return output_.split('\n').filter(QRegularExpression('^' + QRegularExpression::escape(start)));
}

MessageBoxCloser::MessageBoxCloser()
{
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (box == nullptr || !box->isVisible())
                continue;
            seen << Seen{box->windowTitle(), box->text(), box->icon(),
                         !box->parentWidget() && box->standardButtons() == QMessageBox::Ok};
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
        }
    });
    timer_.start(10);
}

QList<QStringList> tableRows(const QTableWidget *table)
{
    QList<QStringList> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells << (table->item(row, column) ? table->item(row, column)->text() : "<none>");
        rows << cells;
    }
    return rows;
}
