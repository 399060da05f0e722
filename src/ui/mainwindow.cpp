#include "mainwindow.h"

#include "about.h"
#include "discovery/interfacechoice.h"
#include "discovery/interfacesearch.h"
#include "discovery/protocol.h"
#include "discovery/replyjudgement.h"
#include "fixedsize.h"
#include "plainerror.h"
#include "platform/ipv4.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QSaveFile>
#include <QSettings>
#include <QUrl>
#include <QtConcurrent>

namespace {

constexpr std::size_t FieldCount = DeviceRecord::FieldCount;
constexpr int InterfaceRole = Qt::UserRole + 1; // all the window knows of the interface
constexpr int WarningsRole = Qt::UserRole + 2;
constexpr int ReachCommandsRole = Qt::UserRole + 3;
const QString LastInterfaceKey = QStringLiteral("lastInterface");
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

// A cell that sorts as its field asks. The field rides in the item's type: column() searches
// the whole table once a sort has moved the items, at every comparison.
class DeviceCell : public QTableWidgetItem {
public:
    DeviceCell(const QString &text, int field) : QTableWidgetItem(text, UserType + field) {}

    bool operator<(const QTableWidgetItem &other) const override
    {
        return fieldLess(type() - UserType, text(), other.text());
    }
};

// One item per field of every reply, row after row.
std::vector<QTableWidgetItem *> makeCells(const QVector<DeviceRecord> &records)
{
    std::vector<QTableWidgetItem *> cells(static_cast<std::size_t>(records.size()) * FieldCount);
    inChunks(records.size(), [&](int from, int to) {
        auto cell = cells.begin() + static_cast<std::ptrdiff_t>(from * FieldCount);
        for (int row = from; row < to; ++row) {
            for (int field = 0; field < DeviceRecord::FieldCount; ++field)
                *cell++ = new DeviceCell(records.at(row).fields[field], field);
        }
    });
    return cells;
}

// A warning sign in the IP-Address cell; what it warns of for the mouse and for screen readers,
// and for saving; the commands that reach the device, for copying.
void markWarnings(const std::vector<QTableWidgetItem *> &cells, const Judgement &judged,
                  const QIcon &sign)
{
    for (int row = 0; row < judged.warnings.size(); ++row) {
        if (judged.warnings.at(row).isEmpty())
            continue;
        QTableWidgetItem *address = cells.at(row * FieldCount + DeviceRecord::IpAddressField);
        const QString why = judged.warnings.at(row).join('\n');
        address->setIcon(sign);
        address->setToolTip(why);
        address->setData(Qt::AccessibleDescriptionRole, why);
        address->setData(WarningsRole, judged.warnings.at(row));
        address->setData(ReachCommandsRole, judged.reachCommands.at(row));
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

// Where the platform keeps a user's settings: the XDG config folder, or the registry under
// HKEY_CURRENT_USER.
QSettings userSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvane"),
                     QStringLiteral("Orvane Finder"));
}

// The interface of that name among those offered; -1 where none is.
int indexNamed(const QVector<NetworkInterface> &offered, const QString &name)
{
    const auto named = std::find_if(offered.begin(), offered.end(), [&name](const auto &i) {
        return !name.isEmpty() && i.name() == name;
    });
    return named != offered.end() ? int(named - offered.begin()) : -1;
}

} // namespace

Q_DECLARE_METATYPE(NetworkInterface)

MainWindow::MainWindow(QWidget *parent, AdapterQuery adapterQuery)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>()), readAdapters(adapterQuery)
{
    ui->setupUi(this);
    fixToItsSize(this);
    tableAlone = ui->tableWidget->geometry();
    statusAlone = ui->lbStatus->geometry();
    setInterfaceList();
    chooseInterfaceAtStart();
    connect(ui->cbNetworkInterfaces, &InterfaceBox::opening, this,
            &MainWindow::refreshInterfaceList);
    // The word over the table is for reading; a click goes to the table beneath.
    ui->lbNobodyAnswered->setAttribute(Qt::WA_TransparentForMouseEvents);
    setTableHeader();
    QHeaderView *header = ui->tableWidget->horizontalHeader();
    header->setResizeContentsPrecision(FittedRows);
    // A selected row would turn every label bold, edge to edge in its column; plain, the labels
    // keep the room the header measures for bold ones.
    header->setHighlightSections(false);
    // A click on a header sorts by its column, a second one the other way.
    header->setSortIndicatorShown(true);
    connect(header, &QHeaderView::sortIndicatorChanged, this, &MainWindow::sortBy);
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

void MainWindow::setInterfaceList()
{
    const std::optional<std::vector<Adapter>> adapters = readAdapters();
    if (!adapters) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"), NoInterfacesDetected,
                              QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    fillInterfaceList(listedInterfaces(*adapters));
}

void MainWindow::refreshInterfaceList()
{
    const QString chosen = currentInterface().name();
    const std::optional<std::vector<Adapter>> adapters = readAdapters();
    ui->cbNetworkInterfaces->clear();
    fillInterfaceList(adapters ? listedInterfaces(*adapters) : QVector<NetworkInterface>());
    ui->cbNetworkInterfaces->setCurrentIndex(indexNamed(offeredInterfaces(), chosen));
}

void MainWindow::fillInterfaceList(const QVector<NetworkInterface> &listed)
{
    for (const NetworkInterface &interface : listed) {
        ui->cbNetworkInterfaces->addItem(interface.description, interface.address);
        ui->cbNetworkInterfaces->setItemData(ui->cbNetworkInterfaces->count() - 1,
                                             QVariant::fromValue(interface), InterfaceRole);
    }
}

void MainWindow::chooseInterfaceAtStart()
{
    const QVector<NetworkInterface> offered = offeredInterfaces();
    const QVariant last = userSettings().value(LastInterfaceKey);
    const int kept = last.type() == QVariant::String ? indexNamed(offered, last.toString()) : -1;
    ui->cbNetworkInterfaces->setCurrentIndex(kept != -1 ? kept : preferredInterface(offered));
}

QVector<NetworkInterface> MainWindow::offeredInterfaces() const
{
    QVector<NetworkInterface> offered;
    for (int item = 0; item < ui->cbNetworkInterfaces->count(); ++item)
        offered << ui->cbNetworkInterfaces->itemData(item, InterfaceRole).value<NetworkInterface>();
    return offered;
}

NetworkInterface MainWindow::currentInterface() const
{
    return ui->cbNetworkInterfaces->currentData(InterfaceRole).value<NetworkInterface>();
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
    QAction *launch = add(QStringLiteral("Launch Konfiguration"), [this] { launchConfig(); });
    launch->setShortcuts({Qt::Key_Return, Qt::Key_Enter});
    launch->setShortcutContext(Qt::WidgetShortcut);
    QAction *copyCommands = add(QStringLiteral("Copy Commands That Reach It"), [table] {
        QGuiApplication::clipboard()->setText(
            table->item(table->currentRow(), DeviceRecord::IpAddressField)
                ->data(ReachCommandsRole)
                .toString());
    });
    copyCommands->setEnabled(false);
    connect(table, &QTableWidget::currentCellChanged, copyCommands, [table, copyCommands](int row) {
        const QTableWidgetItem *address =
            row == -1 ? nullptr : table->item(row, DeviceRecord::IpAddressField);
        copyCommands->setEnabled(address && !address->data(ReachCommandsRole).toString().isEmpty());
    });
    add(QStringLiteral("Save List..."), [this] { saveList(); })->setShortcut(QKeySequence::Save);
    // Stop Comparing is there while a list is in effect.
    auto *stopComparing = new QAction(QStringLiteral("Stop Comparing"), table);
    stopComparing->setVisible(false);
    add(QStringLiteral("Compare With List..."), [this, stopComparing] {
        if (!comparison.choose(this))
            return;
        stopComparing->setVisible(true);
        placeStatus();
        showReplies();
    });
    connect(stopComparing, &QAction::triggered, table, [this, stopComparing] {
        comparison.stop();
        stopComparing->setVisible(false);
        placeStatus();
        showReplies();
    });
    table->addAction(stopComparing);
    table->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void MainWindow::sortBy(int column, Qt::SortOrder order)
{
    if (column >= 0)
        ui->tableWidget->sortItems(column, order);
}

void MainWindow::saveList()
{
    QFileDialog dialog(this, QStringLiteral("Save List"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("CSV (*.csv)"), QStringLiteral("JSON (*.json)")});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        dialog.setDefaultSuffix(filter.startsWith(QLatin1String("JSON")) ? "json" : "csv");
    });
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString path = dialog.selectedFiles().value(0);
    const DeviceTable shown =
        comparison.inEffect() ? comparison.report(ui->tableWidget) : shownTable();
    const QByteArray text = path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)
                                ? jsonText(shown)
                                : csvText(shown).toUtf8();
    // Written beside it, then put in its place: a failure leaves nothing half-written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        QMessageBox::critical(nullptr, QStringLiteral("Error"),
                              QStringLiteral("The list could not be saved to %1: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()),
                              QMessageBox::Ok, QMessageBox::NoButton);
}

DeviceTable MainWindow::shownTable() const
{
    const QTableWidget *table = ui->tableWidget;
    DeviceTable shown{DeviceRecord::fieldNames(), {}, {}};
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList fields;
        for (int column = 0; column < DeviceRecord::FieldCount; ++column)
            fields << table->item(row, column)->text();
        shown.rows << fields;
        shown.warnings
            << table->item(row, DeviceRecord::IpAddressField)->data(WarningsRole).toStringList();
    }
    return shown;
}

void MainWindow::on_btnSearch_clicked()
{
    if (searchPending)
        return; // one search at a time; its list is still to come
    // The search goes out from the address the interface has now.
    refreshInterfaceList();
    if (ui->cbNetworkInterfaces->currentIndex() == -1) {
        QMessageBox::information(nullptr, QStringLiteral("Information"),
                                 QStringLiteral("Please select a network interface"),
                                 QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    ui->lbStatus->setText(QStringLiteral("searching, please wait..."));
    ui->lbNobodyAnswered->hide();
    searchedOn = currentInterface();
    userSettings().setValue(LastInterfaceKey, searchedOn.name());
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
    // Until the user sorts, rows stand in the order the replies came.
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

void MainWindow::setTableWidget(QStringList deviceList)
{
    searchPending = false;
    replies = deviceList;
    showReplies();
}

void MainWindow::showReplies()
{
    if (!replies)
        return;
    setTableHeader();
    const QVector<DeviceRecord> records = deviceRecords(*replies);
    const Judgement judged = judgedReplies(records, searchedOn);
    const QVector<DeviceRecord> missing = comparison.compare(records, judged.warnings);
    const std::vector<QTableWidgetItem *> cells = makeCells(records + missing);
    markWarnings(cells, judged, style()->standardIcon(QStyle::SP_MessageBoxWarning));
    ui->tableWidget->setRowCount(records.size() + missing.size());
    placeCells(ui->tableWidget, cells);
    comparison.mark(ui->tableWidget, style()->standardIcon(QStyle::SP_MessageBoxInformation));
    ui->tableWidget->resizeColumnsToContents();
    ui->tableWidget->scrollToTop();
    if (!searchPending)
        ui->lbStatus->setText(comparison.summary());
    ui->lbNobodyAnswered->hide();
    if (ui->tableWidget->rowCount() == 0) {
        QString word = nobodyAnswered(searchedOn);
        word[0] = word[0].toUpper();
        ui->lbNobodyAnswered->setText(word);
        ui->lbNobodyAnswered->show();
    }
}

void MainWindow::placeStatus()
{
    const int statusHeight = statusAlone.height();
    ui->tableWidget->setGeometry(comparison.inEffect() ? tableAlone.adjusted(0, 0, 0, -statusHeight)
                                                       : tableAlone);
    ui->lbStatus->setGeometry(comparison.inEffect()
                                  ? QRect(tableAlone.left(), tableAlone.bottom() - statusHeight + 2,
                                          tableAlone.width(), statusHeight)
                                  : statusAlone);
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
    if (comparison.isMissing(ui->tableWidget, row)) {
        QMessageBox::information(nullptr, QStringLiteral("Information"),
                                 QStringLiteral("This device did not answer the search: there is "
                                                "no page to open."),
                                 QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    // Any host on the LAN can send a reply: only an address goes to the browser, never a text
    // that a URL would read as another host.
    if (!parseIpv4(address->text().toStdString())) {
        showPlainError(QStringLiteral("The IP-Address \"%1\" is no address: no page was opened.")
                           .arg(address->text()));
        return;
    }
    const QString page = QStringLiteral("http://%1").arg(address->text());
    if (!QDesktopServices::openUrl(QUrl(page, QUrl::TolerantMode)))
        QMessageBox::critical(nullptr, QStringLiteral("Error"),
                              QStringLiteral("No web browser could open %1. Open it in a browser "
                                             "yourself.")
                                  .arg(page),
                              QMessageBox::Ok, QMessageBox::NoButton);
}

void MainWindow::on_pushButton_clicked()
{
    about->show();
}
