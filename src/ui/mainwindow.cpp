#include "mainwindow.h"

#include "about.h"
#include "discovery/protocol.h"
#include "discovery/replyjudgement.h"
#include "fixedsize.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QHeaderView>
#include <QMessageBox>
#include <QUrl>
#include <QtConcurrent>

namespace {

constexpr std::size_t FieldCount = DeviceRecord::FieldCount;
constexpr int NetmaskRole = Qt::UserRole + 1;
constexpr int IndexRole = Qt::UserRole + 2; // the system's number for the interface
// Columns fit the widest of this many rows, so that a flood of replies still fills at once.
constexpr int FittedRows = 1000;
constexpr int RowsPerChunk = 2048;

// Making the items of a burst of replies is spread across the cores; only placing them needs
// the GUI thread.
template <typename Work> void inChunks(int rows, Work work)
{
    QVector<int> chunkStarts;
    for (int start = 0; start < rows; start += RowsPerChunk)
        chunkStarts << start;
    QtConcurrent::blockingMap(
        chunkStarts, [&](int start) { work(start, std::min(start + RowsPerChunk, rows)); });
}

// One item per field of every reply, row after row.
std::vector<QTableWidgetItem *> makeCells(const QVector<DeviceRecord> &records)
{
    std::vector<QTableWidgetItem *> cells(static_cast<std::size_t>(records.size()) * FieldCount);
    inChunks(records.size(), [&](int from, int to) {
        auto cell = cells.begin() + static_cast<std::ptrdiff_t>(from * FieldCount);
        for (int row = from; row < to; ++row) {
            for (const QString &field : records.at(row).fields)
                *cell++ = new QTableWidgetItem(field);
        }
    });
    return cells;
}

// A warning sign in the IP-Address cell; what it warns of for the mouse and for screen readers.
void markWarnings(const std::vector<QTableWidgetItem *> &cells,
                  const QVector<QStringList> &warnings, const QIcon &sign)
{
    for (int row = 0; row < warnings.size(); ++row) {
        if (warnings.at(row).isEmpty())
            continue;
        QTableWidgetItem *address = cells.at(row * FieldCount + DeviceRecord::IpAddressField);
        const QString why = warnings.at(row).join('\n');
        address->setIcon(sign);
        address->setToolTip(why);
        address->setData(Qt::AccessibleDescriptionRole, why);
    }
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
    fixToItsSize(this);
    setInterfaceList(adapterQuery);
    setTableHeader();
    QHeaderView *header = ui->tableWidget->horizontalHeader();
    header->setResizeContentsPrecision(FittedRows);
    // A selected row would turn every label bold, edge to edge in its column; plain, the labels
    // keep the room the header measures for bold ones.
    header->setHighlightSections(false);
    ui->tableWidget->resizeColumnsToContents();
    addRowActions();
    ui->btnSearch->setShortcut(Qt::Key_F5);
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
        QMessageBox::critical(nullptr, QStringLiteral("Error"), NoInterfacesDetected,
                              QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    for (const NetworkInterface &interface : listedInterfaces(*adapters)) {
        ui->cbNetworkInterfaces->addItem(interface.description, interface.address);
        const int item = ui->cbNetworkInterfaces->count() - 1;
        ui->cbNetworkInterfaces->setItemData(item, interface.netmask, NetmaskRole);
        ui->cbNetworkInterfaces->setItemData(item, interface.index, IndexRole);
    }
}

void MainWindow::addRowActions()
{
    QTableWidget *table = ui->tableWidget;
    const auto add = [table](const QString &text, auto triggered) {
        auto *action = new QAction(text, table);
        connect(action, &QAction::triggered, table, triggered);
        table->addAction(action);
        return action;
    };
    const auto copy = [table](int from, int to) {
        const int row = table->currentRow();
        if (row == -1)
            return;
        QStringList cells;
        for (int column = from; column < to; ++column)
            cells << table->item(row, column)->text();
        QGuiApplication::clipboard()->setText(cells.join('\t'));
    };
    add(QStringLiteral("Copy IP-Address"),
        [copy] { copy(DeviceRecord::IpAddressField, DeviceRecord::IpAddressField + 1); });
    QAction *copyRow =
        add(QStringLiteral("Copy Row"), [copy] { copy(0, DeviceRecord::FieldCount); });
    copyRow->setShortcut(QKeySequence::Copy);
    copyRow->setShortcutContext(Qt::WidgetShortcut);
    add(QStringLiteral("Launch Konfiguration"), [this] { launchConfig(); });
    table->setContextMenuPolicy(Qt::ActionsContextMenu);
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
    const QComboBox *interfaces = ui->cbNetworkInterfaces;
    searchedOn = {interfaces->currentText(), interfaces->currentData().toString(),
                  interfaces->currentData(NetmaskRole).toString(),
                  interfaces->currentData(IndexRole).toUInt()};
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
    const QVector<DeviceRecord> replies = deviceRecords(deviceList);
    const std::vector<QTableWidgetItem *> cells = makeCells(replies);
    markWarnings(cells, judgedReplies(replies, searchedOn),
                 style()->standardIcon(QStyle::SP_MessageBoxWarning));
    ui->tableWidget->setRowCount(deviceList.size());
    placeCells(ui->tableWidget, cells);
    ui->tableWidget->resizeColumnsToContents();
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
    const QTableWidgetItem *address =
        row == -1 ? nullptr : ui->tableWidget->item(row, DeviceRecord::IpAddressField);
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
