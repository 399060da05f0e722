#include "support/support.h"
#include "ui/mainwindow.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <csignal>
#include <malloc.h>

using Adapters = std::optional<std::vector<Adapter>>;
Q_DECLARE_METATYPE(Adapters)

namespace {

Adapters given; // what the adapter query of the next window gives
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
    void search(int interface)
    {
        widget<QComboBox>("cbNetworkInterfaces")->setCurrentIndex(interface);
        click("btnSearch");
        QVERIFY(QTest::qWaitFor([this] { return status().isEmpty(); }, 10000));
    }
    QList<QWidget *> abouts()
    {
        QList<QWidget *> found;
        for (QWidget *topLevel : QApplication::topLevelWidgets())
            if (topLevel->objectName() == "About")
                found << topLevel;
        return found;
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

    void looksAsItShould()
    {
        QCOMPARE(abouts().size(), 1);
        QWidget *about = abouts()[0];
        const auto flag = [](QWidget *widget, Qt::WindowType hint) {
            return bool(widget->windowFlags() & hint);
        };
        QStringList headers;
        for (int column = 0; column < table()->columnCount(); ++column)
            headers << table()->horizontalHeaderItem(column)->text();
        QStringList focus{"btnSearch"};
        for (QWidget *next = widget("btnSearch")->nextInFocusChain(); next != widget("btnSearch");
             next = next->nextInFocusChain())
            if (next->focusPolicy() & Qt::TabFocus)
                focus << next->objectName();
        const QString aboutText = about->findChild<QLabel *>("label")->text();
        QStringList aboutPhrases;
        for (const char *phrase :
             {">Orvane Finder<", ">Anwendung zum finden von Orvane Hardware in Netzwerken<",
              ">Release: 0.0.1<br/>Datum: 18.02.2014<", ">Orvane Software Downloadservice<"})
            if (aboutText.contains(phrase))
                aboutPhrases << phrase;
        const QSize windowSize(800, 250), aboutSize(350, 250);

        const QList<std::tuple<const char *, QVariant, QVariant>> checks{
            {"title", window->windowTitle(), "Orvane Finder"},
            {"size fixed",
             QVariantList{window->size(), window->minimumSize(), window->maximumSize()},
             QVariantList{windowSize, windowSize, windowSize}},
            {"no maximise button",
             QVariantList{flag(window.get(), Qt::WindowMaximizeButtonHint),
                          flag(window.get(), Qt::CustomizeWindowHint),
                          flag(window.get(), Qt::WindowMinimizeButtonHint)},
             QVariantList{false, true, true}},
            {"texts",
             QStringList{widget<QPushButton>("btnSearch")->text(),
                         widget<QPushButton>("btnLaunchConfig")->text(),
                         widget<QPushButton>("pushButton")->text(), status()},
             QStringList{"Search", "Launch Konfiguration", "About", ""}},
            {"status centred", int(widget<QLabel>("lbStatus")->alignment()), int(Qt::AlignCenter)},
            {"headers", headers,
             QStringList{"Hostname", "IP-Address", "Netmask", "MAC-Address", "Product Name",
                         "Serial No", "Firmware Version"}},
            {"whole rows, one at a time, no editing, no sorting, no row numbers",
             QVariantList{table()->selectionBehavior(), table()->selectionMode(),
                          int(table()->editTriggers()), table()->isSortingEnabled(),
                          table()->verticalHeader()->isHidden(), table()->rowCount()},
             QVariantList{QAbstractItemView::SelectRows, QAbstractItemView::SingleSelection,
                          int(QAbstractItemView::NoEditTriggers), false, true, 0}},
            {"focus order", focus,
             QStringList{"btnSearch", "btnLaunchConfig", "tableWidget", "cbNetworkInterfaces",
                         "pushButton"}},
            {"About title, size, button",
             QVariantList{about->windowTitle(), about->minimumSize(), about->maximumSize(),
                          about->findChild<QPushButton *>("pushButton")->text()},
             QVariantList{"About", aboutSize, aboutSize, "OK"}},
            {"About without maximise or help button",
             QVariantList{flag(about, Qt::WindowMaximizeButtonHint),
                          flag(about, Qt::WindowContextHelpButtonHint),
                          flag(about, Qt::CustomizeWindowHint)},
             QVariantList{false, false, true}},
            {"About text and link",
             QVariantList{aboutPhrases.size(),
                          about->findChild<QLabel *>("label")->openExternalLinks()},
             QVariantList{4, true}},
        };
        for (const auto &[what, actual, expected] : checks) {
            QString shown;
            QDebug(&shown) << actual;
            QVERIFY2(actual == expected, qPrintable(what + (": " + shown)));
        }
    }

    void interfaceList()
    {
        // Listed ones start with "+", in the order given.
        const QStringList descriptions{"+eth1 (Ethernet)",
                                       "microsoft virtual adapter",
                                       "MICROSOFT VIRTUAL WIFI MINIPORT",
                                       "Hyper-V Microsoft Virtual Switch",
                                       "+Microsoft  Virtual Adapter",
                                       "+Virtual Microsoft Adapter",
                                       "VMware Virtual Ethernet Adapter for VMnet8",
                                       "my-vmWare-net",
                                       "VMWARE",
                                       "Bluetooth Device (Personal Area Network)",
                                       "bnep0 (bluetooth)",
                                       "Périphérique BLUETOOTH",
                                       "+Blue Team LAN",
                                       "+eth1 (Ethernet)"};
        std::vector<Adapter> adapters;
        QStringList listed;
        for (const QString &description : descriptions) {
            const QString shown = QString(description).remove(QRegularExpression("^\\+"));
            const QString address = QString("10.0.0.%1").arg(adapters.size());
            adapters.push_back({shown.toStdString(), address.toStdString()});
            if (description.startsWith('+'))
                listed << shown + ' ' + address;
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
        const auto row = [](const char *name, Adapters adapters, const char *button,
                            const char *title, const char *text) {
            QTest::newRow(name) << adapters << button << title << text;
        };
        const auto only = [](const char *address) {
            return Adapters(std::vector<Adapter>{{"only", address}});
        };
        row("adapter query fails", {}, "", "Error", "No network interfaces detected");
        row("search without an interface", std::vector<Adapter>{}, "btnSearch", "Information",
            "Please select a network interface");
        row("launch without a row", only("127.0.0.1"), "btnLaunchConfig", "Information",
            "No device selected!");
        row("empty address", only(""), "btnSearch", "Error", "Bind to socket failed");
        row("malformed address", only("127.0.0.1x"), "btnSearch", "Error", "Bind to socket failed");
        row("address not on this host", only("192.0.2.1"), "btnSearch", "Error",
            "Bind to socket failed");
        // The namespace has no route for a broadcast from the any-address.
        row("send without a route", only("0.0.0.0"), "btnSearch", "Error",
            "sendto failed with error code: 101");
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
        QCOMPARE(status(), "searching, please wait...");
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
        Simulator simulator({"--raw", "646576", "--repeat", "2", "--interval", "800"});
        QVERIFY(simulator.isListening());
        MessageBoxCloser boxes;
        int fills = 0;
        connect(table()->model(), &QAbstractItemModel::rowsInserted, this, [&] { ++fills; });
        // A handler that does nothing, so that signals only interrupt the search's system calls.
        struct sigaction interrupt = {};
        interrupt.sa_handler = [](int) {};
        QCOMPARE(sigaction(SIGUSR1, &interrupt, nullptr), 0);

        for (int search = 1; search <= 3; ++search) {
            QElapsedTimer clock;
            clock.start();
            click("btnSearch");
            QTRY_COMPARE(simulator.lines("request ").size(), search);
            // Pressed again while it listens, on an interface that would fail: nothing happens.
            widget<QComboBox>("cbNetworkInterfaces")->setCurrentIndex(1);
            click("btnSearch");
            widget<QComboBox>("cbNetworkInterfaces")->setCurrentIndex(0);
            QCOMPARE(status(), "searching, please wait...");
            for (int round = 0; search == 2 && round < 10;
                 ++round) { // every thread, the search's too
                for (const QString &thread :
                     QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                    tgkill(getpid(), thread.toInt(), SIGUSR1);
                QTest::qWait(50);
            }
            QTRY_COMPARE_WITH_TIMEOUT(status(), QString(), 10000);
            // Held open by the second reply, then a quiet second.
            QVERIFY2(clock.elapsed() >= 1700 && clock.elapsed() < 2600,
                     qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(fills, search);
            QCOMPARE(tableRows(table()), (QList<QStringList>{padded({"dev"}), padded({"dev"})}));
        }
        QCOMPARE(simulator.lines("request ").size(), 3);
        QCOMPARE(boxes.seen.size(), 0);
    }

    void launch_data()
    {
        QTest::addColumn<int>("row"); // picked by a click; -1: none
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QStringList>("urls");
        QTest::addColumn<int>("boxes");
        const auto row = [](const char *name, int picked, const char *gesture, QStringList urls,
                            int boxes) {
            QTest::newRow(name) << picked << gesture << urls << boxes;
        };
        row("button", 1, "button", {"http://10.0.0.2"}, 0);
        row("double click", 2, "double click", {"http://10.0.0.3"}, 0);
        row("empty address cell", 0, "button", {"http://"}, 0);
        row("no row picked", -1, "button", {}, 1);
        row("a new list drops the picked row", 1, "button after a new list", {}, 1);
        row("double click below the rows", -1, "double click", {}, 0);
    }
    void launch()
    {
        QFETCH(int, row);
        QFETCH(QString, gesture);
        QFETCH(QStringList, urls);
        QFETCH(int, boxes);
        MessageBoxCloser closer;
        const QStringList list{"a||c", "b|10.0.0.2", "c|10.0.0.3"};
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
        QStringList list, firstColumn;
        for (int i = 0; i < 5000; ++i)
            list << QString("r%1").arg(i);
        deliver(list);

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
        const auto searches = [this](int count) {
            // Every 40th search finds the device; the others fail at the bind or at the send.
            for (int i = 0; i < count; ++i)
                search(i % 40 == 0 ? 0 : 1 + i % 2);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        const auto descriptors = [] {
            return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size();
        };
        const auto heap = [] { return qint64(mallinfo2().uordblks + mallinfo2().hblkhd); };
        searches(40);
        const int descriptorsBefore = descriptors();
        const qint64 heapBefore = heap();

        searches(200);

        QCOMPARE(descriptors(), descriptorsBefore);
        QVERIFY2(heap() - heapBefore < 64 * 1024, qPrintable(QString::number(heap() - heapBefore)));
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
        QCOMPARE(abouts().size(), 1);
        QVERIFY(abouts()[0]->isVisible());

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
