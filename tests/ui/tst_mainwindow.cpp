#include "support/support.h"
#include "ui/mainwindow.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>
#ifdef Q_OS_LINUX
#include <csignal>
#include <malloc.h>
#endif

using AdapterList = std::vector<Adapter>;

namespace {

// Closes the window's message boxes (no parent) while it lives; keeps "Title: text".
struct MessageBoxCloser : QTimer {
    QStringList seen;

    MessageBoxCloser()
    {
        connect(this, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && !box->parentWidget()) {
                seen << box->windowTitle() + ": " + box->text();
                box->done(0);
            }
        });
        start(10);
    }
};

// Changes this namespace's network; under Wine through Wine's way to start a Linux program.
void ip(const QStringList &arguments)
{
#ifdef Q_OS_WIN
    QProcess::execute("start", QStringList{"/wait", "/unix", "/usr/sbin/ip"} + arguments);
#else
    QCOMPARE(QProcess::execute("ip", arguments), 0);
#endif
}

// The texts a screen reader finds in the window, as far as they are shown.
QStringList spoken(QAccessibleInterface *node)
{
    QStringList texts;
    if (node->state().invisible)
        return texts;
    texts << node->text(QAccessible::Name);
    for (int child = 0; child < node->childCount(); ++child)
        texts << spoken(node->child(child));
    return texts;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    QStringList openedUrls;
    QTemporaryDir settingsHome;
    static inline std::optional<AdapterList> given; // what the window's adapter query gives
    const Adapter lo{"lo (loopback)", "127.0.0.1", "255.0.0.0"};

    // A window on these adapters; the query gives what `given` holds when it is asked again.
    void open(const std::optional<AdapterList> &adapters)
    {
        window.reset();
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
    QComboBox *interfaceList() { return widget<QComboBox>("cbNetworkInterfaces"); }
    QString status() { return widget<QLabel>("lbStatus")->text(); }
    // Every row as the table shows it, its cells joined by "|"; or that one field of each.
    QStringList rows(int field = -1)
    {
        QStringList shown;
        for (int row = 0; row < table()->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < table()->columnCount(); ++column)
                if (field == -1 || field == column)
                    cells << (table()->item(row, column) ? table()->item(row, column)->text()
                                                         : "?");
            shown << cells.join('|');
        }
        return shown;
    }
    // The interfaces to choose from: "description address", the chosen one marked "*".
    QStringList interfaces()
    {
        QStringList shown;
        for (int i = 0; i < interfaceList()->count(); ++i)
            shown << (i == interfaceList()->currentIndex() ? "*" : "") +
                         interfaceList()->itemText(i) + ' ' +
                         interfaceList()->itemData(i).toString();
        return shown;
    }
    void openList()
    {
        interfaceList()->showPopup();
        interfaceList()->hidePopup();
    }
    void choose(const QString &name)
    {
        interfaceList()->setCurrentIndex(interfaceList()->findText(name, Qt::MatchStartsWith));
    }
    void click(const char *button) { QTest::mouseClick(widget(button), Qt::LeftButton); }
    void clickHeader(int column)
    {
        const QHeaderView *header = table()->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    // Picks the row as a user does, with a click.
    void select(int row)
    {
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {},
                          table()->visualItemRect(table()->item(row, 0)).center());
    }
    // The row menu's entry of that text.
    QAction *menuEntry(const QString &text)
    {
        for (QAction *action : table()->actions())
            if (action->text() == text)
                return action;
        return nullptr;
    }
    void trigger(const QString &entry) { menuEntry(entry)->trigger(); }
    // A search's list, as if it had just arrived.
    void deliver(const QStringList &list)
    {
        QMetaObject::invokeMethod(window.get(), "setTableWidget", Q_ARG(QStringList, list));
    }
    // Search, until its list or its failure has arrived.
    void search()
    {
        click("btnSearch");
        QTRY_COMPARE_WITH_TIMEOUT(status(), QString(), 10000);
    }
    // Names the file in the save dialog that ask opens, and accepts it.
    static void saveAs(const QString &path, const std::function<void()> &ask)
    {
        QTimer::singleShot(0, [path] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                dialog->selectFile(path);
                static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
            }
        });
        ask();
    }

public slots:
    void recordUrl(const QUrl &url) { openedUrls << url.toString(); }

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
#ifdef Q_OS_WIN
        QProcess::execute("reg", {"delete", "HKCU\\Software\\Orvane", "/f"});
#else
        qputenv("XDG_CONFIG_HOME", settingsHome.path().toUtf8()); // before any window reads it
#endif
        QDesktopServices::setUrlHandler("http", this, "recordUrl");
        // Qt's own file dialog, which the test can fill on every platform.
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }
    void init()
    {
        openedUrls.clear();
        open(AdapterList{lo});
    }

    // The system's own list, read again as it opens: bridges that came, each by its first address,
    // a name in UTF-8; a search from one, judged against its subnet, which its commands name.
    void systemListReadAgain()
    {
        MessageBoxCloser boxes;
        window = std::make_unique<MainWindow>();
        window->show();
        const QString cafe = QString::fromUtf8("caf\xc3\xa9");
        for (const QString &bridge : {QString("lan0"), QString("noaddr0"), cafe})
            ip({"link", "add", bridge, "type", "bridge"});
        ip({"addr", "add", "10.78.0.5/16", "dev", "lan0"});
        ip({"addr", "add", "10.78.9.9/16", "dev", "lan0"});
        ip({"addr", "add", "10.75.0.1/24", "dev", cafe});
        ip({"link", "set", "lan0", "up"});
        openList();
        const QStringList opened = interfaces();
        Simulator simulator({"--raw", QByteArray("d|10.0.0.9|255.255.255.0").toHex()});
        QVERIFY(simulator.listening);
        choose("lan0");
        search();
        select(0);
        trigger("Copy Commands That Reach It");
        for (const QString &bridge : {QString("lan0"), QString("noaddr0"), cafe})
            ip({"link", "del", bridge});

        QCOMPARE(rows(), QStringList{"d|10.0.0.9|255.255.255.0||||"});
        QVERIFY(
            table()->item(0, 1)->toolTip().startsWith("10.0.0.9 is not in 10.78.0.0/16 (lan0)"));
        const QString commands = QGuiApplication::clipboard()->text();
#ifdef Q_OS_WIN // Windows lists no loopback: at the start, no list at all; lan0 by its number,
                // 2 as the first link made in this namespace
        QCOMPARE(boxes.seen, QStringList{"Error: No network interfaces detected"});
        QCOMPARE(opened, (QStringList{"lan0 10.78.0.5", "noaddr0 0.0.0.0", cafe + " 10.75.0.1"}));
        QVERIFY2(commands.contains(" name=2 address=10.0.0.254 "), qPrintable(commands));
#else
        QCOMPARE(opened,
                 (QStringList{"*lo (loopback) 127.0.0.1", "lan0 (Ethernet, bridge) 10.78.0.5",
                              "noaddr0 (Ethernet, bridge) 0.0.0.0",
                              cafe + " (Ethernet, bridge) 10.75.0.1"}));
        QVERIFY2(commands.contains("10.0.0.254/24 dev lan0"), qPrintable(commands));
#endif
    }

    // No list at the start, then the list read again as it opens and at Search: the choice stays
    // on its name, the search goes out from the address it has then; gone, it is said.
    void listFollowsTheNetwork()
    {
        MessageBoxCloser boxes;
        Simulator simulator({"--raw", "61"});
        QVERIFY(simulator.listening);
        const auto eth1 = [](const char *address) {
            return Adapter{"eth1 (Ethernet)", address, "255.0.0.0"};
        };
        open(std::nullopt);
        given = AdapterList{lo, eth1("0.0.0.0")};
        openList();
        choose("eth1");
        given = AdapterList{lo, eth1("127.0.0.2")}; // an address given after the start
        openList();
        search();
        given = AdapterList{{"usb0 (Ethernet)", "127.0.0.4", "255.0.0.0"}, lo, eth1("127.0.0.3")};
        search();                // an interface came before it, its address changed
        given = AdapterList{lo}; // the chosen one went
        click("btnSearch");

        QTRY_COMPARE(boxes.seen, (QStringList{"Error: No network interfaces detected",
                                              "Information: Please select a network interface"}));
        QStringList from;
        for (const QString &request : simulator.lines("request "))
            from << request.section(':', 0, 0);
        QCOMPARE(from, (QStringList{"request 127.0.0.2", "request 127.0.0.3"}));
    }

    // The interface last searched on is chosen at the next start, though its search failed, from
    // where the platform keeps a user's settings; without it, the first where devices may answer.
    void choiceKeptAcrossStarts()
    {
        MessageBoxCloser boxes;
        const Adapter wlan0{"wlan0 (wireless)", "10.0.0.1", "255.0.0.0"};
        const AdapterList listed{{"usb0 (Ethernet)", "0.0.0.0", "0.0.0.0"}, wlan0};
        open(listed);
        QCOMPARE(interfaceList()->currentText(), "wlan0 (wireless)");
        choose("usb0");
        search(); // from the any-address, for which the namespace has no route
        open(listed);
        QCOMPARE(interfaceList()->currentText(), "usb0 (Ethernet)");
#ifdef Q_OS_WIN
        const QString noRoute = "10051"; // Winsock's WSAENETUNREACH
        QProcess reg;
        reg.start("reg", {"query", "HKCU\\Software\\Orvane\\Orvane Finder", "/v", "lastInterface"});
        QVERIFY(reg.waitForFinished(30000));
        QVERIFY(reg.readAllStandardOutput().contains("usb0"));
#else
        const QString noRoute = "101"; // ENETUNREACH
        QFile file(settingsHome.filePath("Orvane/Orvane Finder.conf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("lastInterface=usb0"));
#endif
        QCOMPARE(boxes.seen, QStringList{"Error: sendto failed with error code: " + noRoute});
        open(AdapterList{wlan0}); // no longer listed
        QCOMPARE(interfaceList()->currentText(), "wlan0 (wireless)");
    }

    // Nobody answered: said over the table, to screen readers too, until the next search. Then
    // each reply a row, whole, in the order they came; an oversized datagram is no reply and ends
    // nothing. A sign, and why, on a device outside lo's subnet; the request the devices expect.
    void aSearchFillsTheTable()
    {
        const auto said = [this] {
            const QStringList texts = spoken(QAccessible::queryAccessibleInterface(window.get()));
            return texts.filter(QRegularExpression("^No device answered on lo\\.")).size();
        };
        search();
        QCOMPARE(said(), 1);
        QStringList device;
        for (const QString &reply :
             {QString("a|127.0.0.2|c|d|e|f|g"), QString("h|10.0.0.9|255.255.255.0"),
              QString(300, 'x'), QString(256, 'q')})
            device << "--raw" << reply.toLatin1().toHex();
        Simulator simulator(device);
        QVERIFY(simulator.listening);
        click("btnSearch");
        QCOMPARE(said(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(status(), QString(), 10000);

        QCOMPARE(said(), 0);
        QCOMPARE(rows(), (QStringList{"a|127.0.0.2|c|d|e|f|g", "h|10.0.0.9|255.255.255.0||||",
                                      QString(256, 'q') + "||||||"}));
        QVERIFY(table()->item(0, 1)->icon().isNull() && !table()->item(1, 1)->icon().isNull());
        for (const int why : {Qt::ToolTipRole, Qt::AccessibleDescriptionRole})
            QVERIFY(
                table()->item(1, 1)->data(why).toString().startsWith("10.0.0.9 is not in 127."));
        const QString requests = simulator.lines("request ").join('\n');
        const QRegularExpression one(
            R"(^request 127\.0\.0\.1:(?!49999 )\d+ -> 255\.255\.255\.255:49999 18 bytes$)");
        QVERIFY2(one.match(requests).hasMatch(), qPrintable(requests));
    }

    // Launch by the button, Enter, a double click and the menu; copy by Ctrl+C and the menu. A new
    // list drops the picked row; a desktop without a browser is said.
    void launchAndCopy()
    {
        MessageBoxCloser boxes;
        const QStringList list{"a|10.0.0.2@evil.example|c", "b|10.0.0.2", "c|10.0.0.3"};
        QStringList copied;
        const auto copy = [&copied](const std::function<void()> &how) {
            QGuiApplication::clipboard()->clear();
            how();
            copied << QGuiApplication::clipboard()->text();
        };
        deliver(list);
        select(1);
        click("btnLaunchConfig");
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        table()->setFocus();
        copy([this] { QTest::keyClick(table(), Qt::Key_C, Qt::ControlModifier); });
        QTest::keyClick(table(), Qt::Key_Return);
        copy([this] { trigger("Copy IP-Address"); });
        select(2);
        QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {},
                           table()->visualItemRect(table()->item(2, 0)).center());
        trigger("Launch Konfiguration");
        select(0);
        trigger("Launch Konfiguration"); // no address: nothing opened
        copy([this] { trigger("Copy Row"); });
        deliver(list);
        copy([this] { trigger("Copy Row"); });
        trigger("Launch Konfiguration");
        QDesktopServices::unsetUrlHandler("http"); // a desktop with no browser
        select(2);
        click("btnLaunchConfig");
        QDesktopServices::setUrlHandler("http", this, "recordUrl");

        QCOMPARE(openedUrls.join(' '), "http://10.0.0.2 http://10.0.0.2 http://10.0.0.3 "
                                       "http://10.0.0.3");
        QCOMPARE(copied, (QStringList{"b\t10.0.0.2\t\t\t\t\t", "10.0.0.2",
                                      "a\t10.0.0.2@evil.example\tc\t\t\t\t", ""}));
        QTRY_COMPARE(boxes.seen, (QStringList{"Error: The IP-Address \"10.0.0.2@evil.example\" is "
                                              "no address: no page was opened.",
                                              "Information: No device selected!",
                                              "Error: No web browser could open http://10.0.0.3. "
                                              "Open it in a browser yourself."}));
    }

    // A header's click sorts (addresses by number, text without case), the next one the other way;
    // saved as shown, as CSV or JSON by the name, written beside and renamed, a failure said. A new
    // list comes in the order of arrival.
    void sortedAndSavedAsShown()
    {
        MessageBoxCloser boxes;
        const QStringList list{"b|10.88.1.10", "C|10.88.1.9||m1", "a|x", "B2|10.88.1.9||m2"};
        deliver(list);
        QStringList orders;
        for (const int column : {1, 1, 0}) {
            clickHeader(column);
            orders << rows(0).join(' ');
        }
        QTemporaryDir folder;
        QFile earlier(folder.filePath("list.csv"));
#ifndef Q_OS_WIN // Windows renames no file another program holds open
        QVERIFY(earlier.open(QIODevice::ReadWrite) && earlier.write("earlier") == 7 &&
                earlier.seek(0));
#endif
        QVERIFY(QDir(folder.path()).mkdir("taken.csv"));
        saveAs(folder.filePath("list"),
               [this] { QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier); });
        saveAs(folder.filePath("list.JSON"), [this] { trigger("Save List..."); });
        saveAs(folder.filePath("taken.csv"), [this] { trigger("Save List..."); });
        deliver(list);

        QCOMPARE(orders, (QStringList{"C B2 b a", "a b C B2", "a b B2 C"}));
        QCOMPARE(rows(0).join(' '), "b C a B2");
        QFile csv(folder.filePath("list.csv")), json(folder.filePath("list.JSON"));
        QVERIFY(csv.open(QIODevice::ReadOnly) && json.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(), "Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial "
                                "No,Firmware Version\r\na,x,,,,,\r\nb,10.88.1.10,,,,,\r\n"
                                "B2,10.88.1.9,,m2,,,\r\nC,10.88.1.9,,m1,,,\r\n");
        if (earlier.isOpen())
            QCOMPARE(earlier.readAll(), "earlier");
        QStringList saved; // each row with the start of its warning
        for (const QJsonValue device : QJsonDocument::fromJson(json.readAll()).array())
            saved << device["Hostname"].toString() + device["Warnings"][0].toString().left(15);
        QCOMPARE(saved, (QStringList{"a", "b", "B210.88.1.9 (m2) ", "C10.88.1.9 (m1) "}));
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY(boxes.seen[0].startsWith("Error: The list could not be saved to " +
                                         QDir::toNativeSeparators(folder.filePath("taken.csv"))));
        QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 (QStringList{"list.csv", "list.JSON", "taken.csv"}));
    }

#ifdef Q_OS_LINUX
    // Hundreds of searches, with signals interrupting the system calls: nothing grows, each
    // failure is said, a second press while one listens does nothing.
    void steadyOverManySearches()
    {
        const Adapter unrouted{"unrouted", "0.0.0.0", "0.0.0.0"}, gone{"gone", "192.0.2.1", ""};
        open(AdapterList{lo, unrouted, gone});
        // Twice 1100 devices: more rows than one chunk of the parallel fill.
        Simulator simulator(QString("--devices 1100 --hostname d --ip x --netmask m --mac x "
                                    "--product p --serial s --firmware f --repeat 2 --interval 800")
                                .split(' '));
        QVERIFY(simulator.listening);
        const MessageBoxCloser boxes;
        int fills = 0;
        connect(table()->model(), &QAbstractItemModel::rowsInserted, this, [&] { ++fills; });
        // A handler that does nothing, so that signals only interrupt the search's system calls.
        struct sigaction interrupt = {};
        interrupt.sa_handler = [](int){};
        QCOMPARE(sigaction(SIGUSR1, &interrupt, nullptr), 0);
        // Every 40th search finds the devices; the others fail at the send or at the bind.
        const auto searches = [&](int from, int to) {
            for (int i = from; i < to; ++i) {
                interfaceList()->setCurrentIndex(i % 40 == 0 ? 0 : 1 + i % 2);
                click("btnSearch");
                if (i % 40 == 0) {
                    QTRY_COMPARE(simulator.lines("request ").size(), i / 40 + 1);
                    interfaceList()->setCurrentIndex(2); // would fail, if it searched
                    click("btnSearch");
                }
                for (int round = 0; i == 200 && round < 10; ++round) { // every thread, its too
                    for (const QString &thread :
                         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                        tgkill(getpid(), thread.toInt(), SIGUSR1);
                    QTest::qWait(50);
                }
                QVERIFY(QTest::qWaitFor([this] { return status().isEmpty(); }, 10000));
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        QDir descriptors("/proc/self/fd", "", QDir::NoSort, QDir::System);
        searches(0, 40);
        const QStringList descriptorsBefore = (descriptors.refresh(), descriptors.entryList());
        const size_t heapBefore = mallinfo2().uordblks + mallinfo2().hblkhd;

        searches(40, 240);

        descriptors.refresh();
        QCOMPARE(descriptors.entryList(), descriptorsBefore);
        const auto grown = qint64(mallinfo2().uordblks + mallinfo2().hblkhd - heapBefore);
        QVERIFY2(grown < 64 * 1024, qPrintable(QString::number(grown)));
        // One request and one fill per finding search, a message for each other one.
        QCOMPARE(simulator.lines("request ").size(), 6);
        QCOMPARE(fills, 6);
        QCOMPARE(boxes.seen.size(), 6 * 39);
        QCOMPARE(QSet<QString>(boxes.seen.begin(), boxes.seen.end()),
                 (QSet<QString>{"Error: sendto failed with error code: 101",
                                "Error: Bind to socket failed"}));
        QStringList expected;
        for (int device = 0; device < 2200; ++device)
            expected << QString("d-%1|x|m|x|p|s-%1|f").arg(device % 1100 + 1);
        QCOMPARE(rows(), expected);
    }
#endif

    // A list compared with every search until Stop Comparing: signs and why, the missing device
    // a grey row that sorts with the others and opens nothing, the summary, the report saved; a
    // list that cannot serve is said, and the window keeps what it had.
    void comparedWithAList()
    {
        MessageBoxCloser boxes;
        const QStringList answers{"a|10.0.0.1||m1|P|S1|2.4.1", "b|10.0.0.2||m2|P|S2|2.4.1",
                                  "c|10.0.0.3||m3|P|S3|2.4.1"};
        deliver(answers);
        QTemporaryDir folder;
        const auto choose = [&](const char *name, const QByteArray &list) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(list) == list.size());
            file.close();
            saveAs(file.fileName(), [this] { trigger("Compare With List..."); });
        };
        choose("bad.csv", "Firmware Version\n2.5.0\n");
        QTRY_COMPARE(boxes.seen,
                     QStringList{"Error: " + QDir::toNativeSeparators(folder.filePath("bad.csv")) +
                                 ", line 1: no column names a device: the header "
                                 "needs MAC-Address, Serial No or Hostname"});
        QCOMPARE(rows(), answers);
        QVERIFY(!menuEntry("Stop Comparing")->isVisible());

        choose("list.csv",
               "MAC-Address,Hostname,Firmware Version\nM1,,\nm2,,2.5.0\nm9,'=gone,1.0\n");
        QCOMPARE(rows(), answers + QStringList{"=gone|||m9|||1.0"});
        QStringList why;
        for (int row = 0; row < table()->rowCount(); ++row) {
            const QTableWidgetItem *cell = table()->item(row, row < 3 ? 0 : 4);
            const QString told = cell->data(Qt::AccessibleDescriptionRole).toString();
            why << (told != cell->toolTip() ? "?" : cell->icon().isNull() ? "" : "sign: ") + told;
        }
        QCOMPARE(why, (QStringList{"",
                                   "sign: Differs from the list: Firmware Version 2.4.1, "
                                   "expected 2.5.0",
                                   "sign: Not in the list", "Missing: expected, did not answer"}));
        QVERIFY(table()->item(3, 4)->foreground() != table()->item(2, 4)->foreground());
        QCOMPARE(status(), "1 of 3 expected devices as expected; 1 differs, 1 missing; 1 "
                           "unexpected");
        clickHeader(0);
        QCOMPARE(rows(0).join(' '), "=gone a b c");
        select(0);
        click("btnLaunchConfig");
        QTRY_COMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen[1], "Information: This device did not answer the search: there is no "
                                "page to open.");
        QCOMPARE(openedUrls, QStringList());
        saveAs(folder.filePath("report.csv"), [this] { trigger("Save List..."); });
        QFile report(folder.filePath("report.csv"));
        QVERIFY(report.open(QIODevice::ReadOnly));
        QCOMPARE(report.readAll(),
                 "Check,Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware "
                 "Version,Differences\r\nmissing,'=gone,,,m9,,,1.0,\r\n"
                 "as expected,a,10.0.0.1,,m1,P,S1,2.4.1,\r\n"
                 "differs,b,10.0.0.2,,m2,P,S2,2.4.1,\"Firmware Version: 2.4.1, expected 2.5.0\"\r\n"
                 "unexpected,c,10.0.0.3,,m3,P,S3,2.4.1,\r\n");

        trigger("Stop Comparing");
        QCOMPARE(rows(), answers);
        QVERIFY(table()->item(1, 0)->icon().isNull() && status().isEmpty());
        QVERIFY(!menuEntry("Stop Comparing")->isVisible());
    }

    // Last: the application's event loop ends here, though About is open.
    void closingDuringAFloodEndsTheProgram()
    {
        Simulator simulator({"--raw", "666c6f6f64", "--repeat", "3000", "--interval", "3"});
        QVERIFY(simulator.listening);
        click("btnSearch");
        QTRY_VERIFY(simulator.lines("answered ").size() > 50);
        click("pushButton");
        QTRY_COMPARE(QApplication::activeWindow()->objectName(), "About");

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
