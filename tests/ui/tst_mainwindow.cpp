#include "support/fakedevice.h"
#include "support/messageboxes.h"
#include "support/privatenetwork.h"
#include "support/windowdriver.h"
#include "ui/about.h"
#include "ui/mainwindow.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QtTest>

// Runs inside a private network namespace; searches reach a fake device on loopback.
class TestMainWindow : public QObject {
    Q_OBJECT

public slots:
    void recordUrl(const QUrl &url) { openedUrls << url.toString(); }

private slots:
    void initTestCase() { REQUIRE_PRIVATE_NETWORK(); }
    void init();
    void cleanup();

    void widgets_data();
    void widgets();
    void windowRules();
    void focusOrder();
    void emptyTable();
    void interfaceListFiltered();
    void noInterfacesDetected();
    void searchWithoutInterface();
    void tableRows_data();
    void tableRows();
    void tableRules();
    void searchFillsTable();
    void everySearchFillsTableOnce();
    void failedSearchClearsStatus();
    void launch_data();
    void launch();
    void launchByDoubleClick();
    void launchAfterDelivery();
    void aboutIsOneDialog();
    void closeDuringSearch();

private:
    QStringList openedUrls;
};

using namespace windowdriver;

namespace {

std::optional<std::vector<Adapter>> loopbackOnly()
{
    return std::vector<Adapter>{{"lo (loopback)", "127.0.0.1"}};
}

// The first entry cannot send: the namespace has no route for the any-address.
std::optional<std::vector<Adapter>> brokenThenLoopback()
{
    return std::vector<Adapter>{{"unrouted", "0.0.0.0"}, {"lo (loopback)", "127.0.0.1"}};
}

std::optional<std::vector<Adapter>> mixedAdapters()
{
    return std::vector<Adapter>{{"VMware Virtual Ethernet Adapter for VMnet8", "192.168.8.1"},
                                {"eth1 (Ethernet)", "10.1.0.2"},
                                {"bnep0 (Bluetooth)", "0.0.0.0"},
                                {"eth0 (Ethernet)", "10.0.0.2"}};
}

std::optional<std::vector<Adapter>> noAdapters()
{
    return std::vector<Adapter>{};
}

std::optional<std::vector<Adapter>> queryFails()
{
    return std::nullopt;
}

void deliver(MainWindow &window, const QStringList &list)
{
    QVERIFY(QMetaObject::invokeMethod(&window, "setTableWidget", Q_ARG(QStringList, list)));
}

void selectRow(QTableWidget *table, int rowIndex)
{
    const QRect cell = table->visualItemRect(table->item(rowIndex, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
}

// As a user does it: the first press picks the row, the second press is the double click.
void doubleClick(QTableWidget *table, QPoint position)
{
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, position);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, position);
}

} // namespace

void TestMainWindow::init()
{
    openedUrls.clear();
    QDesktopServices::setUrlHandler("http", this, "recordUrl");
    QDesktopServices::setUrlHandler("https", this, "recordUrl");
}

void TestMainWindow::cleanup()
{
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
}

void TestMainWindow::widgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("search") << "btnSearch" << QRect(480, 10, 75, 23) << "Search";
    QTest::newRow("launch") << "btnLaunchConfig" << QRect(560, 10, 151, 23)
                            << "Launch Konfiguration";
    QTest::newRow("table") << "tableWidget" << QRect(10, 40, 781, 201) << QString();
    QTest::newRow("interfaces") << "cbNetworkInterfaces" << QRect(10, 10, 241, 22) << QString();
    QTest::newRow("status") << "lbStatus" << QRect(260, 10, 211, 21) << "";
    QTest::newRow("about") << "pushButton" << QRect(715, 10, 75, 23) << "About";
}

void TestMainWindow::widgets()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    MainWindow window(nullptr, loopbackOnly);
    auto *widget = window.findChild<QWidget *>(name);

    QVERIFY(widget);
    QCOMPARE(widget->parentWidget(), window.centralWidget());
    QCOMPARE(widget->geometry(), geometry);
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), text);
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->alignment(), Qt::AlignCenter);
    }
}

void TestMainWindow::windowRules()
{
    MainWindow window(nullptr, loopbackOnly);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.objectName(), QString("MainWindow"));
    QCOMPARE(window.windowTitle(), QString("Orvane Finder"));
    QCOMPARE(window.size(), QSize(800, 250));
    QCOMPARE(window.minimumSize(), QSize(800, 250));
    QCOMPARE(window.maximumSize(), QSize(800, 250));
    QCOMPARE(window.windowModality(), Qt::NonModal);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::CustomizeWindowHint);
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(window.centralWidget()->objectName(), QString("centralWidget"));
    QVERIFY(!window.findChild<QMenuBar *>());
    QVERIFY(!window.findChild<QToolBar *>());
    QVERIFY(!window.findChild<QStatusBar *>());
}

void TestMainWindow::focusOrder()
{
    MainWindow window(nullptr, loopbackOnly);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget *first = child<QWidget>(window, "btnSearch");
    first->setFocus();

    QStringList order{first->objectName()};
    for (QWidget *next = first->nextInFocusChain(); next != first;
         next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus)
            order << next->objectName();
    }

    QCOMPARE(order, (QStringList{"btnSearch", "btnLaunchConfig", "tableWidget",
                                 "cbNetworkInterfaces", "pushButton"}));
}

void TestMainWindow::emptyTable()
{
    MainWindow window(nullptr, loopbackOnly);
    QTableWidget *results = table(window);

    QStringList headers;
    for (int column = 0; column < results->columnCount(); ++column)
        headers << results->horizontalHeaderItem(column)->text();
    QCOMPARE(headers, (QStringList{"Hostname", "IP-Address", "Netmask", "MAC-Address",
                                   "Product Name", "Serial No", "Firmware Version"}));
    QCOMPARE(results->rowCount(), 0);
    QCOMPARE(status(window), QString());
    QVERIFY(results->verticalHeader()->isHidden());
}

void TestMainWindow::interfaceListFiltered()
{
    MainWindow window(nullptr, mixedAdapters);
    auto *interfaces = child<QComboBox>(window, "cbNetworkInterfaces");

    QCOMPARE(interfaces->count(), 2);
    QCOMPARE(interfaces->itemText(0), QString("eth1 (Ethernet)"));
    QCOMPARE(interfaces->itemData(0, Qt::UserRole).toString(), QString("10.1.0.2"));
    QCOMPARE(interfaces->itemText(1), QString("eth0 (Ethernet)"));
    QCOMPARE(interfaces->itemData(1, Qt::UserRole).toString(), QString("10.0.0.2"));
    QVERIFY(interfaces->itemIcon(0).isNull());
    QCOMPARE(interfaces->currentIndex(), 0);
}

void TestMainWindow::noInterfacesDetected()
{
    MessageBoxCloser boxes;
    MainWindow window(nullptr, queryFails);

    QCOMPARE(boxes.seen().size(), 1);
    const MessageBoxCloser::Seen box = boxes.seen().first();
    QCOMPARE(box.title, QString("Error"));
    QCOMPARE(box.text, QString("No network interfaces detected"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY(!box.hadParent);
    QVERIFY(box.onlyOk);
    QVERIFY(!box.anyMainWindowVisible);
    QCOMPARE(child<QComboBox>(window, "cbNetworkInterfaces")->count(), 0);
}

void TestMainWindow::searchWithoutInterface()
{
    FakeDevice device;
    QVERIFY(device.isListening());
    MainWindow window(nullptr, noAdapters);
    window.show();
    MessageBoxCloser boxes;

    click(window, "btnSearch");
    QTest::qWait(300);

    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen()[0].title, QString("Information"));
    QCOMPARE(boxes.seen()[0].text, QString("Please select a network interface"));
    QCOMPARE(boxes.seen()[0].icon, QMessageBox::Information);
    QVERIFY(boxes.seen()[0].onlyOk);
    QCOMPARE(status(window), QString());
    QCOMPARE(device.heard().size(), 0);
}

void TestMainWindow::tableRows_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<Rows>("expected");

    const QStringList abcdefg{"a", "b", "c", "d", "e", "f", "g"};
    QTest::newRow("empty list") << QStringList{} << QList<QStringList>{};
    QTest::newRow("seven fields") << QStringList{"a|b|c|d|e|f|g"} << QList<QStringList>{abcdefg};
    QTest::newRow("two equal replies")
        << QStringList{"a|b|c|d|e|f|g", "a|b|c|d|e|f|g"} << QList<QStringList>{abcdefg, abcdefg};
    QTest::newRow("nine fields") << QStringList{"a|b|c|d|e|f|g|h|i"} << QList<QStringList>{abcdefg};
    QTest::newRow("empty field keeps columns")
        << QStringList{"a||c|d|e|f|g"} << QList<QStringList>{{"a", "", "c", "d", "e", "f", "g"}};
    QTest::newRow("fewer fields give empty cells")
        << QStringList{"host|10.0.0.7"}
        << QList<QStringList>{{"host", "10.0.0.7", "", "", "", "", ""}};
    QTest::newRow("empty reply gives an empty row")
        << QStringList{""} << QList<QStringList>{{"", "", "", "", "", "", ""}};
    QTest::newRow("spaces and line ends kept")
        << QStringList{" h |10.0.0.1 |m\r\n|x|y|z|1.0\n"}
        << QList<QStringList>{{" h ", "10.0.0.1 ", "m\r\n", "x", "y", "z", "1.0\n"}};
    QTest::newRow("arrival order kept") << QStringList{"z|1", "a|2", "m|3"}
                                        << QList<QStringList>{{"z", "1", "", "", "", "", ""},
                                                              {"a", "2", "", "", "", "", ""},
                                                              {"m", "3", "", "", "", "", ""}};
}

void TestMainWindow::tableRows()
{
    QFETCH(QStringList, list);
    QFETCH(Rows, expected);
    MainWindow window(nullptr, loopbackOnly);
    deliver(window, {"old|row"});

    deliver(window, list);

    QCOMPARE(rows(window), expected);
    QCOMPARE(table(window)->columnCount(), 7);
    QCOMPARE(table(window)->horizontalHeaderItem(6)->text(), QString("Firmware Version"));
    QCOMPARE(status(window), QString());
}

void TestMainWindow::tableRules()
{
    MainWindow window(nullptr, loopbackOnly);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    deliver(window, {"a|10.0.0.1|c|d|e|f|g", "b|10.0.0.2|c|d|e|f|g"});
    QTableWidget *results = table(window);

    QCOMPARE(results->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(results->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(results->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(results->verticalHeader()->isHidden());
    QVERIFY(!results->isSortingEnabled());

    selectRow(results, 1);
    QCOMPARE(results->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(results->selectedItems().size(), 7);
    selectRow(results, 0);
    QCOMPARE(results->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(results->currentRow(), 0);

    // Typing and double clicks do not edit.
    QTest::keyClicks(results->viewport(), "xyz");
    doubleClick(results, results->visualItemRect(results->item(0, 0)).center());
    QVERIFY(!results->isPersistentEditorOpen(results->item(0, 0)));
    QCOMPARE(results->item(0, 0)->text(), QString("a"));
    QCOMPARE(results->item(0, 0)->type(), int(QTableWidgetItem::Type));
}

void TestMainWindow::searchFillsTable()
{
    FakeDevice device({{0, "first|127.0.0.1|255.0.0.0|00:11:22:33:44:55|P1|S1|1.0"},
                       {30, QByteArray("M\xc3\xbcller|127.0.0.2|255.0.0.0|m|P2|S2|2.0")}});
    QVERIFY(device.isListening());
    MainWindow window(nullptr, loopbackOnly);
    window.show();
    deliver(window, {"previous|1.1.1.1"});

    click(window, "btnSearch");

    QCOMPARE(status(window), QString("searching, please wait..."));
    QCOMPARE(table(window)->rowCount(), 1); // the previous rows stay until the list comes
    QTRY_COMPARE_WITH_TIMEOUT(status(window), QString(), 10000);
    QCOMPARE(table(window)->rowCount(), 2);
    QCOMPARE(rows(window).at(0), (QStringList{"first", "127.0.0.1", "255.0.0.0",
                                              "00:11:22:33:44:55", "P1", "S1", "1.0"}));
    QCOMPARE(rows(window).at(1).first(), QString::fromUtf8("Müller"));
    QCOMPARE(device.heard().size(), 1);
}

void TestMainWindow::everySearchFillsTableOnce()
{
    FakeDevice device({{0, "dev|127.0.0.1"}});
    QVERIFY(device.isListening());
    MainWindow window(nullptr, loopbackOnly);
    window.show();
    int fills = 0;
    connect(table(window)->model(), &QAbstractItemModel::rowsInserted, this, [&] { ++fills; });

    for (int search = 0; search < 10; ++search) {
        click(window, "btnSearch");
        QTRY_COMPARE_WITH_TIMEOUT(status(window), QString(), 10000);
    }
    QTest::qWait(200);

    QCOMPARE(fills, 10);
    QCOMPARE(table(window)->rowCount(), 1);
    QCOMPARE(device.heard().size(), 10);
}

void TestMainWindow::failedSearchClearsStatus()
{
    FakeDevice device({{0, "dev|127.0.0.1"}});
    QVERIFY(device.isListening());
    MainWindow window(nullptr, brokenThenLoopback);
    window.show();
    deliver(window, {"kept|10.9.9.9"});
    MessageBoxCloser boxes;

    click(window, "btnSearch");
    QTRY_COMPARE_WITH_TIMEOUT(boxes.seen().size(), 1, 10000);

    const MessageBoxCloser::Seen box = boxes.seen().first();
    QCOMPARE(box.title, QString("Error"));
    QCOMPARE(box.text, QString("sendto failed with error code: %1").arg(ENETUNREACH));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY(!box.hadParent);
    QVERIFY(box.onlyOk);
    QCOMPARE(status(window), QString());
    QCOMPARE(rows(window).at(0).first(), QString("kept"));

    child<QComboBox>(window, "cbNetworkInterfaces")->setCurrentIndex(1);
    click(window, "btnSearch");
    QTRY_COMPARE_WITH_TIMEOUT(status(window), QString(), 10000);
    QCOMPARE(rows(window).at(0).first(), QString("dev"));
    QCOMPARE(boxes.seen().size(), 1);
}

void TestMainWindow::launch_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<int>("selectRow");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty table") << QStringList{} << -1 << QStringList{} << "No device selected!";
    QTest::newRow("no row picked")
        << QStringList{"a|10.0.0.1"} << -1 << QStringList{} << "No device selected!";
    QTest::newRow("second row") << QStringList{"a|10.0.0.1", "b|10.0.0.2"} << 1
                                << QStringList{"http://10.0.0.2"} << QString();
    QTest::newRow("empty address cell")
        << QStringList{"a||c"} << 0 << QStringList{"http://"} << QString();
    QTest::newRow("address only field missing")
        << QStringList{"lonely"} << 0 << QStringList{"http://"} << QString();
    QTest::newRow("address with port and path")
        << QStringList{"a|10.0.0.1:8080/setup"} << 0 << QStringList{"http://10.0.0.1:8080/setup"}
        << QString();
}

void TestMainWindow::launch()
{
    QFETCH(QStringList, list);
    QFETCH(int, selectRow);
    QFETCH(QStringList, urls);
    QFETCH(QString, message);
    MainWindow window(nullptr, loopbackOnly);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    deliver(window, list);
    if (selectRow >= 0)
        ::selectRow(table(window), selectRow);
    MessageBoxCloser boxes;

    click(window, "btnLaunchConfig");

    QCOMPARE(openedUrls, urls);
    QCOMPARE(boxes.seen().size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(boxes.seen()[0].title, QString("Information"));
        QCOMPARE(boxes.seen()[0].text, message);
        QVERIFY(boxes.seen()[0].onlyOk);
    }
}

void TestMainWindow::launchByDoubleClick()
{
    MainWindow window(nullptr, loopbackOnly);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    deliver(window, {"a|10.0.0.1", "b|10.0.0.2", "c|10.0.0.3"});
    QTableWidget *results = table(window);
    MessageBoxCloser boxes;

    doubleClick(results, results->visualItemRect(results->item(2, 4)).center());
    // Below the last row there is no cell: nothing opens and nothing is said.
    doubleClick(results, QPoint(20, results->viewport()->height() - 5));

    QCOMPARE(openedUrls, QStringList{"http://10.0.0.3"});
    QCOMPARE(boxes.seen().size(), 0);
}

void TestMainWindow::launchAfterDelivery()
{
    MainWindow window(nullptr, loopbackOnly);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    deliver(window, {"a|10.0.0.1"});
    selectRow(table(window), 0);
    deliver(window, {"a|10.0.0.1"});
    MessageBoxCloser boxes;

    click(window, "btnLaunchConfig");

    QCOMPARE(openedUrls, QStringList{});
    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen()[0].text, QString("No device selected!"));
}

void TestMainWindow::aboutIsOneDialog()
{
    MainWindow window(nullptr, loopbackOnly);
    window.show();

    click(window, "pushButton");
    click(window, "pushButton");

    QList<About *> dialogs;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *about = qobject_cast<About *>(widget))
            dialogs << about;
    }
    QCOMPARE(dialogs.size(), 1);
    QVERIFY(dialogs[0]->isVisible());
    QVERIFY(!dialogs[0]->parentWidget());
}

void TestMainWindow::closeDuringSearch()
{
    FakeDevice device({{0, "flood|127.0.0.1"}});
    device.floodAfterScript("flood|127.0.0.1", 20);
    QVERIFY(device.isListening());
    auto window = std::make_unique<MainWindow>(nullptr, loopbackOnly);
    window->show();
    click(*window, "btnSearch");
    QTest::qWait(300);

    QElapsedTimer clock;
    clock.start();
    window->close();
    window.reset();
    const qint64 closingMs = clock.elapsed();
    QCoreApplication::processEvents();

    QVERIFY2(closingMs < 1500, qPrintable(QString::number(closingMs)));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
