#include "support/support.h"
#include "ui/mainwindow.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <malloc.h>

using Adapters = std::optional<std::vector<Adapter>>;
Q_DECLARE_METATYPE(Adapters)

namespace {

const QString Searching = QStringLiteral("searching, please wait...");
// What the adapter query of the next window gives.
Adapters given;
Adapters givenAdapters()
{
    return given;
}

QStringList padded(QStringList cells)
{
    while (cells.size() < 7)
        cells << "";
    return cells;
}

int openDescriptors()
{
    return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size();
}

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
qint64 heapInUse()
{
    return static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
}
#else
qint64 heapInUse()
{
    const struct mallinfo2 heap = mallinfo2(); // all arenas, the searches' threads' too
    return static_cast<qint64>(heap.uordblks + heap.hblkhd);
}
#endif

} // namespace

// Runs inside a private network namespace; searches reach simulated devices on loopback.
class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    QStringList openedUrls;

    void open(const Adapters &adapters)
    {
        window.reset();
        given = adapters;
        window = std::make_unique<MainWindow>(nullptr, givenAdapters);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    template <typename T = QWidget> T *widget(const char *name)
    {
        return window->findChild<T *>(name);
    }
    QTableWidget *table() { return widget<QTableWidget>("tableWidget"); }
    QString status() { return widget<QLabel>("lbStatus")->text(); }
    void click(const char *button) { QTest::mouseClick(widget(button), Qt::LeftButton); }
    void deliver(const QStringList &list)
    {
        QVERIFY(
            QMetaObject::invokeMethod(window.get(), "setTableWidget", Q_ARG(QStringList, list)));
    }
    void searchAndWait(int interface)
    {
        widget<QComboBox>("cbNetworkInterfaces")->setCurrentIndex(interface);
        click("btnSearch");
        const QDeadlineTimer deadline(10000);
        while (!status().isEmpty() && !deadline.hasExpired())
            QTest::qWait(1);
    }

public slots:
    void recordUrl(const QUrl &url) { openedUrls << url.toString(); }

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        QDesktopServices::setUrlHandler("http", this, "recordUrl");
    }
    void init()
    {
        openedUrls.clear();
        open(std::vector<Adapter>{{"lo (loopback)", "127.0.0.1"}});
    }

    void properties_data()
    {
        QTest::addColumn<QString>("object"); // "About.label": a child of the About dialog
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        const auto row = [](const char *object, const char *property, const QVariant &value) {
            QTest::addRow("%s %s", object, property) << object << QByteArray(property) << value;
        };
        row("MainWindow", "windowTitle", "Orvane Finder");
        row("MainWindow", "size", QSize(800, 250));
        row("MainWindow", "minimumSize", QSize(800, 250));
        row("MainWindow", "maximumSize", QSize(800, 250));
        row("btnSearch", "geometry", QRect(480, 10, 75, 23));
        row("btnSearch", "text", "Search");
        row("btnLaunchConfig", "geometry", QRect(560, 10, 151, 23));
        row("btnLaunchConfig", "text", "Launch Konfiguration");
        row("tableWidget", "geometry", QRect(10, 40, 781, 201));
        row("tableWidget", "rowCount", 0);
        row("tableWidget", "selectionBehavior", QAbstractItemView::SelectRows);
        row("tableWidget", "selectionMode", QAbstractItemView::SingleSelection);
        row("tableWidget", "editTriggers", int(QAbstractItemView::NoEditTriggers));
        row("tableWidget", "sortingEnabled", false);
        row("cbNetworkInterfaces", "geometry", QRect(10, 10, 241, 22));
        row("lbStatus", "geometry", QRect(260, 10, 211, 21));
        row("lbStatus", "text", "");
        row("lbStatus", "alignment", int(Qt::AlignCenter));
        row("pushButton", "geometry", QRect(715, 10, 75, 23));
        row("pushButton", "text", "About");
        row("About", "windowTitle", "About");
        row("About", "minimumSize", QSize(350, 250));
        row("About", "maximumSize", QSize(350, 250));
        row("About.pushButton", "geometry", QRect(270, 220, 75, 23));
        row("About.pushButton", "text", "OK");
        row("About.label", "geometry", QRect(10, 10, 331, 201));
        row("About.label", "openExternalLinks", true);
    }
    void properties()
    {
        QFETCH(QString, object);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);

        const QStringList path = object.split('.');
        QObject *found = window->findChild<QObject *>(path[0]);
        for (QWidget *topLevel : QApplication::topLevelWidgets())
            found = topLevel->objectName() == path[0] ? topLevel : found;
        if (found && path.size() > 1)
            found = found->findChild<QObject *>(path[1]);
        QVERIFY(found);
        const QVariant actual = found->property(property);
        QCOMPARE(value.type() == QVariant::Int ? QVariant(actual.toInt()) : actual, value);
    }

    void frame()
    {
        QWidget *about = nullptr;
        for (QWidget *topLevel : QApplication::topLevelWidgets())
            about = topLevel->objectName() == "About" ? topLevel : about;
        QVERIFY(about);
        for (const QWidget *fixed : {static_cast<QWidget *>(window.get()), about}) {
            QVERIFY(!(fixed->windowFlags() & Qt::WindowMaximizeButtonHint));
            QVERIFY(fixed->windowFlags() & Qt::CustomizeWindowHint);
        }
        QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(about->windowFlags() & Qt::WindowContextHelpButtonHint));
        const QString text = about->findChild<QLabel *>("label")->text();
        for (const char *part :
             {">Orvane Finder<", ">Anwendung zum finden von Orvane Hardware in Netzwerken<",
              ">Release: 0.0.1<br/>Datum: 18.02.2014<", ">Orvane Software Downloadservice<"})
            QVERIFY2(text.contains(part), part);

        QStringList headers;
        for (int column = 0; column < table()->columnCount(); ++column)
            headers << table()->horizontalHeaderItem(column)->text();
        QCOMPARE(headers, (QStringList{"Hostname", "IP-Address", "Netmask", "MAC-Address",
                                       "Product Name", "Serial No", "Firmware Version"}));
        QVERIFY(table()->verticalHeader()->isHidden());

        QWidget *first = widget("btnSearch");
        QStringList focus{first->objectName()};
        for (QWidget *next = first->nextInFocusChain(); next != first;
             next = next->nextInFocusChain())
            if (next->focusPolicy() & Qt::TabFocus)
                focus << next->objectName();
        QCOMPARE(focus, (QStringList{"btnSearch", "btnLaunchConfig", "tableWidget",
                                     "cbNetworkInterfaces", "pushButton"}));
    }

    void interfaceList()
    {
        const std::pair<const char *, bool> descriptions[] = {
            {"eth1 (Ethernet)", true},
            {"microsoft virtual adapter", false},
            {"MICROSOFT VIRTUAL WIFI MINIPORT", false},
            {"Hyper-V Microsoft Virtual Switch", false},
            {"Microsoft  Virtual Adapter", true},
            {"Virtual Microsoft Adapter", true},
            {"VMware Virtual Ethernet Adapter for VMnet8", false},
            {"my-vmWare-net", false},
            {"VMWARE", false},
            {"Bluetooth Device (Personal Area Network)", false},
            {"bnep0 (bluetooth)", false},
            {"Périphérique BLUETOOTH", false},
            {"Blue Team LAN", true},
            {"eth1 (Ethernet)", true},
        };
        std::vector<Adapter> adapters;
        QStringList listed;
        for (const auto &[description, kept] : descriptions) {
            const QString address = QString("10.0.0.%1").arg(adapters.size());
            adapters.push_back({description, address.toStdString()});
            if (kept)
                listed << description + (' ' + address);
        }
        open(adapters);

        const auto *interfaces = widget<QComboBox>("cbNetworkInterfaces");
        QStringList shown;
        for (int i = 0; i < interfaces->count(); ++i)
            shown << interfaces->itemText(i) + ' ' + interfaces->itemData(i).toString();
        QCOMPARE(shown, listed);
    }

    void messageBoxes_data()
    {
        QTest::addColumn<Adapters>("adapters");
        QTest::addColumn<QString>("button"); // pressed once the window is up
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        const auto only = [](const char *address) {
            return Adapters(std::vector<Adapter>{{"only", address}});
        };
        QTest::newRow("adapter query fails") << Adapters() << ""
                                             << "Error"
                                             << "No network interfaces detected";
        QTest::newRow("search without an interface")
            << Adapters(std::vector<Adapter>{}) << "btnSearch"
            << "Information"
            << "Please select a network interface";
        QTest::newRow("launch without a row") << only("127.0.0.1") << "btnLaunchConfig"
                                              << "Information"
                                              << "No device selected!";
        QTest::newRow("empty address") << only("") << "btnSearch"
                                       << "Error"
                                       << "Bind to socket failed";
        QTest::newRow("malformed address") << only("127.0.0.1x") << "btnSearch"
                                           << "Error"
                                           << "Bind to socket failed";
        QTest::newRow("address not on this host") << only("192.0.2.1") << "btnSearch"
                                                  << "Error"
                                                  << "Bind to socket failed";
        // The namespace has no route for a broadcast from the any-address.
        QTest::newRow("send without a route") << only("0.0.0.0") << "btnSearch"
                                              << "Error"
                                              << "sendto failed with error code: 101";
    }
    void messageBoxes()
    {
        QFETCH(Adapters, adapters);
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(QString, text);
        MessageBoxCloser boxes;

        open(adapters);
        if (!button.isEmpty())
            click(qPrintable(button));

        QTRY_COMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, title);
        QCOMPARE(boxes.seen[0].text, text);
        QCOMPARE(boxes.seen[0].icon,
                 title == "Error" ? QMessageBox::Critical : QMessageBox::Information);
        QVERIFY(boxes.seen[0].plain);
        QCOMPARE(status(), QString());
    }

    void repliesFillTheTable()
    {
        // In the order the device sends them.
        const QList<QPair<QByteArray, QStringList>> replies{
            {"a|b|c|d|e|f|g", {"a", "b", "c", "d", "e", "f", "g"}},
            {"a|b|c|d|e|f|g", {"a", "b", "c", "d", "e", "f", "g"}},
            {"a||c|d|e|f|g|", {"a", "", "c", "d", "e", "f", "g"}},
            {"1|2|3|4|5|6|7|8|9", {"1", "2", "3", "4", "5", "6", "7"}},
            {"host|10.0.0.9", {"host", "10.0.0.9"}},
            {"", {}},
            {QByteArray("abcde\0|x", 8), {"abcde"}},
            {QByteArray("z|y\0", 4), {"z", "y"}},
            {QByteArray(300, 'x'), {"<dropped>"}},
            {"M\xc3\xbcller|a\xff"
             "b",
             {"Müller", "a\ufffdb"}},
            {QByteArray(256, 'q'), {QString(256, 'q')}},
            {" h \r\n|\t1 ", {" h \r\n", "\t1 "}},
        };
        QStringList device;
        QList<QStringList> rows;
        for (const auto &[datagram, cells] : replies) {
            device << "--raw" << datagram.toHex();
            if (cells != QStringList{"<dropped>"})
                rows << padded(cells);
        }
        Simulator simulator(device);
        QVERIFY(simulator.isListening());
        deliver({"previous|row"});

        click("btnSearch");
        QCOMPARE(status(), Searching);
        QCOMPARE(table()->rowCount(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(status(), QString(), 10000);

        QCOMPARE(tableRows(table()), rows);
        const QStringList requests = simulator.lines("request ");
        QCOMPARE(requests.size(), 1);
        QVERIFY2(QRegularExpression(R"(^request 127\.0\.0\.1:(?!49999 )\d+ -> )"
                                    R"(255\.255\.255\.255:49999 18 bytes$)")
                     .match(requests[0])
                     .hasMatch(),
                 qPrintable(requests[0]));
    }

    void searchesFillTheTableOncePerList()
    {
        open(std::vector<Adapter>{{"lo (loopback)", "127.0.0.1"}, {"gone", "192.0.2.1"}});
        Simulator simulator({"--raw", "646576", "--repeat", "2", "--interval", "400"});
        QVERIFY(simulator.isListening());
        MessageBoxCloser boxes;
        int fills = 0;
        connect(table()->model(), &QAbstractItemModel::rowsInserted, this, [&] { ++fills; });

        for (int search = 1; search <= 3; ++search) {
            click("btnSearch");
            QTRY_COMPARE(simulator.lines("request ").size(), search);
            // Pressed again while it listens, on an interface that would fail: nothing happens.
            widget<QComboBox>("cbNetworkInterfaces")->setCurrentIndex(1);
            click("btnSearch");
            widget<QComboBox>("cbNetworkInterfaces")->setCurrentIndex(0);
            QCOMPARE(status(), Searching);
            QTRY_COMPARE_WITH_TIMEOUT(status(), QString(), 10000);
            QCOMPARE(fills, search);
        }
        QCOMPARE(tableRows(table()), (QList<QStringList>{padded({"dev"}), padded({"dev"})}));
        QCOMPARE(simulator.lines("request ").size(), 3);
        QCOMPARE(boxes.seen.size(), 0);
    }

    void launch_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<int>("row"); // picked by a click; -1: none
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<int>("boxes");
        const QStringList three{"a|10.0.0.1", "b|10.0.0.2", "c|10.0.0.3"};
        QTest::newRow("button") << three << 1 << "button" << QStringList{"http://10.0.0.2"} << 0;
        QTest::newRow("double click")
            << three << 2 << "double click" << QStringList{"http://10.0.0.3"} << 0;
        QTest::newRow("empty address cell")
            << QStringList{"a||c"} << 0 << "button" << QStringList{"http://"} << 0;
        QTest::newRow("no row picked") << three << -1 << "button" << QStringList{} << 1;
        QTest::newRow("a new list drops the picked row")
            << three << 0 << "button after a new list" << QStringList{} << 1;
        QTest::newRow("double click below the rows")
            << three << -1 << "double click" << QStringList{} << 0;
    }
    void launch()
    {
        QFETCH(QStringList, list);
        QFETCH(int, row);
        QFETCH(QString, gesture);
        QFETCH(QStringList, urls);
        QFETCH(int, boxes);
        MessageBoxCloser closer;
        deliver(list);
        const QPoint where = row < 0 ? QPoint(20, table()->viewport()->height() - 5)
                                     : table()->visualItemRect(table()->item(row, 4)).center();
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {}, where);
        if (gesture == "button after a new list")
            deliver(list);

        if (gesture == "double click")
            QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, where);
        else
            click("btnLaunchConfig");

        QCOMPARE(openedUrls, urls);
        QCOMPARE(closer.seen.size(), boxes);
    }

    void manyRows()
    {
        // More rows than one chunk of the parallel fill: each in its place.
        QStringList list;
        for (int i = 0; i < 5000; ++i)
            list << QString("r%1").arg(i);
        deliver(list);

        QStringList firstColumn;
        for (const QStringList &cells : tableRows(table()))
            firstColumn << cells.join('|');
        QCOMPARE(firstColumn, list.replaceInStrings(QRegularExpression("$"), "||||||"));
    }

    void steadyOverManySearches()
    {
        open(std::vector<Adapter>{
            {"lo (loopback)", "127.0.0.1"}, {"unrouted", "0.0.0.0"}, {"gone", "192.0.2.1"}});
        Simulator simulator({"--raw", "6f6e65", "--raw", "74776f"});
        QVERIFY(simulator.isListening());
        const MessageBoxCloser boxes;
        // Every 40th search finds the device; the others fail at the bind or at the send.
        const auto searches = [this](int count) {
            for (int search = 0; search < count; ++search)
                searchAndWait(search % 40 == 0 ? 0 : 1 + search % 2);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        searches(40);
        const int descriptors = openDescriptors();
        const qint64 heap = heapInUse();

        searches(200);

        QCOMPARE(openDescriptors(), descriptors);
        QVERIFY2(heapInUse() - heap < 32 * 1024, qPrintable(QString::number(heapInUse() - heap)));
        QCOMPARE(simulator.lines("request ").size(), 6);
        QCOMPARE(boxes.seen.size(), 39 + 195);
        QCOMPARE(table()->rowCount(), 2);
    }

    // Last: the application's event loop ends here.
    void closingDuringAFloodEndsTheProgram()
    {
        Simulator simulator({"--raw", "666c6f6f64", "--repeat", "3000", "--interval", "3"});
        QVERIFY(simulator.isListening());
        click("btnSearch");
        QTRY_VERIFY(simulator.lines("answered ").size() > 50);
        // However often it is asked for, About is one dialog, and it keeps nothing alive.
        click("pushButton");
        click("pushButton");
        QList<QWidget *> abouts;
        for (QWidget *topLevel : QApplication::topLevelWidgets())
            if (topLevel->objectName() == "About" && topLevel->isVisible())
                abouts << topLevel;
        QCOMPARE(abouts.size(), 1);

        QElapsedTimer clock;
        QTimer::singleShot(0, window.get(), [&] {
            clock.start();
            window->close();
        });
        QTimer::singleShot(5000, window.get(), [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
        window.reset();
        QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
