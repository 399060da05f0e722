#include "mainwindow.h"

#include "about.h"
#include "discovery/interfacelist.h"
#include "discovery/protocol.h"
#include "ui_mainwindow.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QMessageBox>
#include <QUrl>
#include <QtConcurrent>

namespace {

constexpr std::size_t FieldCount = DeviceRecord::FieldCount;

// One item per field of every reply, row after row. A burst of replies is
// split across the cores; only placing the items needs the GUI thread.
std::vector<QTableWidgetItem *> makeCells(const QStringList &deviceList)
{
    constexpr int RowsPerChunk = 2048;
    const int rows = deviceList.size();
    std::vector<QTableWidgetItem *> cells(static_cast<std::size_t>(rows) * FieldCount);
    QVector<int> chunkStarts;
    for (int start = 0; start < rows; start += RowsPerChunk)
        chunkStarts << start;
    QtConcurrent::blockingMap(chunkStarts, [&](int start) {
        auto cell = cells.begin() + static_cast<std::ptrdiff_t>(start * FieldCount);
        for (int row = start; row < std::min(start + RowsPerChunk, rows); ++row) {
            for (const QString &field : DeviceRecord::fromReplyText(deviceList.at(row)).fields)
                *cell++ = new QTableWidgetItem(field);
        }
    });
    return cells;
}

// Puts the items into the table's rows, in order. One change notice for the
// whole table costs far less than one per item.
void placeCells(QTableWidget *table, const std::vector<QTableWidgetItem *> &cells)
{
    QAbstractItemModel *model = table->model();
    const int rows = table->rowCount();
    {
        const QSignalBlocker quiet(model);
        auto cell = cells.begin();
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < DeviceRecord::FieldCount; ++column)
                table->setItem(row, column, *cell++);
        }
    }
    if (rows > 0)
        emit model->dataChanged(model->index(0, 0),
                                model->index(rows - 1, DeviceRecord::FieldCount - 1));
}

} // namespace

MainWindow::MainWindow(QWidget *parent, AdapterQuery adapterQuery)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>())
{
    ui->setupUi(this);
    setWindowFlags((windowFlags() & ~Qt::WindowMaximizeButtonHint) | Qt::CustomizeWindowHint);
    setFixedSize(width(), height());
    setInterfaceList(adapterQuery);
    setTableHeader();
    // A failed search ends in the GUI thread, where message boxes belong.
    connect(&searchDevices, &SearchDevices::searchFailed, this, &MainWindow::showSearchFailure,
            Qt::QueuedConnection);
    about = std::make_unique<About>();
    // About has no parent window; left open, it must not keep the finder running once
    // the user closes this window.
    about->setAttribute(Qt::WA_QuitOnClose, false);
}

MainWindow::~MainWindow() = default;

void MainWindow::setInterfaceList(AdapterQuery adapterQuery)
{
    const std::optional<std::vector<Adapter>> adapters = adapterQuery();
    if (!adapters) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"),
                              QStringLiteral("No network interfaces detected"), QMessageBox::Ok,
                              QMessageBox::NoButton);
        return;
    }
    for (const NetworkInterface &interface : listedInterfaces(*adapters))
        ui->cbNetworkInterfaces->addItem(interface.description, interface.address);
}

void MainWindow::on_btnSearch_clicked()
{
    if (searchPending)
        return; // one search at a time; its list is still to come
    if (ui->cbNetworkInterfaces->currentIndex() == -1) {
        QMessageBox::information(nullptr, QStringLiteral("Information"),
                                 QStringLiteral("Please select a network interface"),
                                 QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    ui->lbStatus->setText(QStringLiteral("searching, please wait..."));
    // Unique, so that every list fills the table once however often Search is pressed.
    connect(&searchDevices, &SearchDevices::setDeviceList, this, &MainWindow::setTableWidget,
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection));
    searchDevices.setInterfaceAddress(
        ui->cbNetworkInterfaces->currentData(Qt::UserRole).toString());
    // The last search has delivered, but its thread may not have returned yet,
    // and start() would silently do nothing until it has.
    searchDevices.wait();
    searchDevices.start();
    searchPending = true;
}

void MainWindow::setTableHeader()
{
    QTableWidget *table = ui->tableWidget;
    table->clear();
    table->setRowCount(0);
    table->setColumnCount(DeviceRecord::FieldCount);
    table->setHorizontalHeaderLabels(DeviceRecord::fieldNames());
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
}

void MainWindow::setTableWidget(QStringList deviceList)
{
    searchPending = false;
    setTableHeader();
    const std::vector<QTableWidgetItem *> cells = makeCells(deviceList);
    ui->tableWidget->setRowCount(deviceList.size());
    placeCells(ui->tableWidget, cells);
    ui->lbStatus->clear();
}

void MainWindow::showSearchFailure(const QString &message)
{
    // Nothing searches any more; the table keeps what it showed.
    searchPending = false;
    ui->lbStatus->clear();
    QMessageBox::critical(nullptr, QStringLiteral("Error"), message, QMessageBox::Ok,
                          QMessageBox::NoButton);
}

void MainWindow::on_btnLaunchConfig_clicked()
{
    launchConfig();
}

void MainWindow::on_tableWidget_doubleClicked(const QModelIndex &)
{
    launchConfig();
}

void MainWindow::launchConfig()
{
    const int row = ui->tableWidget->currentRow();
    const QTableWidgetItem *address = row == -1 ? nullptr : ui->tableWidget->item(row, 1);
    if (address == nullptr) {
        QMessageBox::information(nullptr, QStringLiteral("Information"),
                                 QStringLiteral("No device selected!"), QMessageBox::Ok,
                                 QMessageBox::NoButton);
        return;
    }
    // The address goes in as the device sent it: the device's page is its own business.
    QDesktopServices::openUrl(
        QUrl(QStringLiteral("http://%1").arg(address->text()), QUrl::TolerantMode));
}

void MainWindow::on_pushButton_clicked()
{
    about->show();
}
