#include "windowfixture.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QHeaderView>

namespace {

QString frame(const QWidget *window)
{
    QString text = QString("%1x%2").arg(window->width()).arg(window->height());
    for (const auto &[hint, word] : {std::pair(Qt::WindowMinimizeButtonHint, " minimise"),
                                     {Qt::WindowMaximizeButtonHint, " maximise"},
                                     {Qt::WindowContextHelpButtonHint, " help"}})
        text += window->windowFlags() & hint ? word : "";
    return text + (window->minimumSize() == window->maximumSize() ? " fixed" : "");
}

} // namespace

class TestMainWindow : public QObject, WindowFixture {
    Q_OBJECT

    QStringList openedUrls;

    void deliver(const QStringList &list)
    {
        QMetaObject::invokeMethod(window.get(), "setTableWidget", Q_ARG(QStringList, list));
    }
    static QList<QWidget *> abouts()
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
        open(std::vector<Adapter>{{"lo (loopback)", "127.0.0.1", "255.0.0.0", 7}});
    }

    void looksAsItShould()
    {
        QCOMPARE(abouts().size(), 1);
        QWidget *about = abouts()[0];
        const auto text = [](QObject *parent, const char *name) {
            return parent->findChild<QObject *>(name)->property("text").toString();
        };
        QStringList headers, focus{"btnSearch"};
        for (int column = 0; column < table()->columnCount(); ++column)
            headers << table()->horizontalHeaderItem(column)->text();
        for (QWidget *next = widget("btnSearch")->nextInFocusChain(); next != widget("btnSearch");
             next = next->nextInFocusChain())
            if (next->focusPolicy() & Qt::TabFocus)
                focus << next->objectName();
        int aboutPhrases = 0;
        for (const char *phrase :
             {">Orvane Finder<", ">Anwendung zum finden von Orvane Hardware in Netzwerken<",
              ">Release: 0.0.1<br/>Datum: 18.02.2014<", ">Orvane Software Downloadservice<"})
            aboutPhrases += text(about, "label").contains(phrase);

        QCOMPARE(
            (QVariantList{
                window->windowTitle(), frame(window.get()), text(window.get(), "btnSearch"),
                text(window.get(), "btnLaunchConfig"), text(window.get(), "pushButton"), status(),
                int(widget<QLabel>("lbStatus")->alignment()), headers, table()->selectionBehavior(),
                table()->selectionMode(), int(table()->editTriggers()),
                table()->verticalHeader()->isHidden(), table()->rowCount(), focus}),
            (QVariantList{"Orvane Finder", "800x250 minimise fixed", "Search",
                          "Launch Konfiguration", "About", "", int(Qt::AlignCenter),
                          QStringList{"Hostname", "IP-Address", "Netmask", "MAC-Address",
                                      "Product Name", "Serial No", "Firmware Version"},
                          QAbstractItemView::SelectRows, QAbstractItemView::SingleSelection,
                          int(QAbstractItemView::NoEditTriggers), true, 0,
                          QStringList{"btnSearch", "btnLaunchConfig", "tableWidget",
                                      "cbNetworkInterfaces", "pushButton"}}));
        QCOMPARE(table()->accessibleName() + '|' +
                     widget("cbNetworkInterfaces")->accessibleDescription(),
                 "Devices found|Network interface to search on");
        // Headers that fit, widths the user can drag ("y"), and the row menu.
        QString fitting;
        QStringList menu;
        QHeaderView *header = table()->horizontalHeader();
        for (int column = 0; column < table()->columnCount(); ++column)
            fitting += table()->columnWidth(column) >= header->sectionSizeHint(column) &&
                               header->sectionResizeMode(column) == QHeaderView::Interactive
                           ? 'y'
                           : 'n';
        for (const QAction *action : table()->actions())
            menu << action->text() + ' ' + action->shortcut().toString();
        QCOMPARE((QVariantList{fitting, table()->contextMenuPolicy(), menu}),
                 (QVariantList{
                     "yyyyyyy", Qt::ActionsContextMenu,
                     QStringList{"Copy IP-Address ", "Copy Row Ctrl+C", "Launch Konfiguration "}}));
        // The whole text in its label, however large the system's font.
        const auto *label = about->findChild<QLabel *>("label");
        const QSize needed = label->sizeHint();
        QCOMPARE(
            (QVariantList{about->windowTitle(), frame(about), text(about, "pushButton"),
                          aboutPhrases, label->openExternalLinks(), label->geometry(),
                          needed.width() <= label->width() && needed.height() <= label->height()}),
            (QVariantList{"About", "350x250 fixed", "OK", 4, true, QRect(10, 10, 331, 201), true}));
    }

    void interfaceList()
    {
        // The listed ones start with "+"; they stay in the order given.
        const QStringList descriptions =
            QString("+eth1 (Ethernet)|microsoft virtual adapter|MICROSOFT VIRTUAL WIFI MINIPORT|"
                    "Hyper-V Microsoft Virtual Switch|+Microsoft  Virtual Adapter|"
                    "+Virtual Microsoft Adapter|VMware Virtual Ethernet Adapter for VMnet8|"
                    "my-vmWare-net|VMWARE|Bluetooth Device (Personal Area Network)|"
                    "bnep0 (bluetooth)|Périphérique BLUETOOTH|+Blue Team LAN|+eth1 (Ethernet)")
                .split('|');
        std::vector<Adapter> adapters;
        QStringList listed, shown;
        for (const QString &description : descriptions) {
            const QString name = QString(description).remove(QRegularExpression("^\\+"));
            const QString address = QString("10.0.0.%1").arg(adapters.size());
            adapters.push_back({name.toStdString(), address.toStdString(), "255.0.0.0"});
            if (description.startsWith('+'))
                listed << name + ' ' + address;
        }
        open(adapters);

        const auto *interfaces = widget<QComboBox>("cbNetworkInterfaces");
        for (int i = 0; i < interfaces->count(); ++i)
            shown << interfaces->itemText(i) + ' ' + interfaces->itemData(i).toString();
        QCOMPARE(shown, listed);
    }

    // The system's own list, as the test's runner laid it out and wrote it down in
    // ORVANE_SYSTEM_INTERFACES: "description address netmask", joined by "|".
    void systemInterfaces()
    {
        QVERIFY(qEnvironmentVariableIsSet("ORVANE_SYSTEM_INTERFACES"));
        window = std::make_unique<MainWindow>();
        const auto *interfaces = widget<QComboBox>("cbNetworkInterfaces");
        QStringList shown;
        for (int i = 0; i < interfaces->count(); ++i)
            shown << QStringList{interfaces->itemText(i), interfaces->itemData(i).toString(),
                                 interfaces->itemData(i, Qt::UserRole + 1).toString()}
                         .join(' ');
        QCOMPARE(shown.join('|'), qEnvironmentVariable("ORVANE_SYSTEM_INTERFACES"));
    }

    void messageBoxes_data()
    {
        QTest::addColumn<QString>(
            "address");                      // of the one adapter; "none": no list, "": none listed
        QTest::addColumn<QString>("button"); // pressed once the window is up, or the key F5
        QTest::addColumn<QString>("box");    // its icon 3 is critical, 1 information
        const auto row = [](const char *name, const char *address, const char *button,
                            const QString &box) {
            QTest::newRow(name) << address << button << box;
        };
        const char *const bindFailed = "Error: Bind to socket failed (3)";
        row("adapter query fails", "none", "", "Error: No network interfaces detected (3)");
        row("search without an interface", "", "btnSearch",
            "Information: Please select a network interface (1)");
        row("search by F5 without an interface", "", "F5",
            "Information: Please select a network interface (1)");
        row("launch without a row", "127.0.0.1", "btnLaunchConfig",
            "Information: No device selected! (1)");
        row("empty address", "-", "btnSearch", bindFailed);
        row("malformed address", "127.0.0.1x", "btnSearch", bindFailed);
        // The namespace has no route for a broadcast from the any-address.
#ifdef Q_OS_WIN
        const char *const unreachable = "10051"; // WSAENETUNREACH
#else
        const char *const unreachable = "101"; // ENETUNREACH
#endif
        row("send without a route", "0.0.0.0", "btnSearch",
            QString("Error: sendto failed with error code: %1 (3)").arg(unreachable));
    }
    void messageBoxes()
    {
        QFETCH(QString, address);
        QFETCH(QString, button);
        QFETCH(QString, box);
        MessageBoxCloser boxes;
        std::vector<Adapter> adapters{{"only", address == "-" ? "" : address.toStdString(), ""}};

        open(address == "none"   ? Adapters()
             : address.isEmpty() ? Adapters(std::vector<Adapter>{})
                                 : adapters);
        if (button == "F5") {
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
            QTest::keyClick(window.get(), Qt::Key_F5);
        } else if (!button.isEmpty()) {
            click(qPrintable(button));
        }

        QTRY_COMPARE(boxes.seen, QStringList{box});
        QCOMPARE(status(), QString());
    }

    void repliesFillTheTable()
    {
        const QList<QPair<QByteArray, QString>> replies{
            {"a|127.0.0.2|c|d|e|f|g", "a|127.0.0.2|c|d|e|f|g"},
            {"a|127.0.0.2|c|d|e|f|g", "a|127.0.0.2|c|d|e|f|g"},
            {"a||c|d|e|f|g|", "a||c|d|e|f|g"},
            {"1|2|3|4|5|6|7|8|9", "1|2|3|4|5|6|7"},
            {"host|10.0.0.9|255.255.255.0", "host|10.0.0.9|255.255.255.0||||"},
            {"", "||||||"},
            {QByteArray("abcde\0|x", 8), "abcde||||||"},
            {QByteArray("z|y\0", 4), "z|y|||||"},
            {QByteArray(300, 'x'), "dropped"},
            {QByteArray::fromHex("4dc3bc6c6c65727c61ff62"),
             "Müller|a\ufffdb|||||"}, // invalid UTF-8
            {QByteArray(256, 'q'), QString(256, 'q') + "||||||"},
            {" h \r\n|\t1 ", " h \r\n|\t1 |||||"},
        };
        QStringList device, expected;
        for (const auto &[datagram, row] : replies) {
            device << "--raw" << datagram.toHex();
            if (row != "dropped")
                expected << row;
        }
        Simulator simulator(device);
        QVERIFY(simulator.listening);
        click("btnSearch");
        QCOMPARE(status(), "searching, please wait...");
        QTRY_COMPARE_WITH_TIMEOUT(status(), QString(), 10000);

        QCOMPARE(rows(), expected);
        // Judged against lo's 127.0.0.0/8: a sign, and why, where the address is outside.
        QString signs;
        for (int row = 0; row < table()->rowCount(); ++row) {
            const QTableWidgetItem *address = table()->item(row, 1);
            const QString why = address->data(Qt::AccessibleDescriptionRole).toString();
            signs += why != address->toolTip() ? '?' : address->icon().isNull() ? '-' : 's';
        }
        QCOMPARE(signs, "--sssssssss");
        // The commands take lo by name, or on Windows by its index.
#ifdef Q_OS_WIN
        const QString add = "netsh interface ipv4 add address name=7 address=10.0.0.254 "
                            "mask=255.255.255.0 store=active",
                      remove = "netsh interface ipv4 delete address name=7 address=10.0.0.254";
#else
        const QString add = "ip address add 10.0.0.254/24 dev lo",
                      remove = "ip address del 10.0.0.254/24 dev lo";
#endif
        QCOMPARE(table()->item(4, 1)->toolTip(),
                 "10.0.0.9 is not in 127.0.0.0/8 (lo): its page may not open from this "
                 "computer.\nTo reach it, add the address 10.0.0.254/24 to lo for a while, with "
                 "administrator rights:\n  " +
                     add + "\nand remove it afterwards:\n  " + remove);
        const QString requests = simulator.lines("request ").join('\n');
        const QRegularExpression one(
            R"(^request 127\.0\.0\.1:(?!49999 )\d+ -> 255\.255\.255\.255:49999 18 bytes$)");
        QVERIFY2(one.match(requests).hasMatch(), qPrintable(requests));
    }

    void launchAndCopy()
    {
        MessageBoxCloser boxes;
        const QStringList list{"a||c", "b|10.0.0.2", "c|10.0.0.3"};
        QStringList copied;
        const auto copy = [&] { copied << QGuiApplication::clipboard()->text(); };
        const auto menu = [this](const QString &item) {
            for (QAction *action : table()->actions())
                if (action->text() == item)
                    action->trigger();
        };
        deliver(list);
        QWidget *rowArea = table()->viewport();
        const auto at = [this](int row) {
            return table()->visualItemRect(table()->item(row, 4)).center();
        };

        QTest::mouseClick(rowArea, Qt::LeftButton, {}, at(1));
        click("btnLaunchConfig");
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        table()->setFocus();
        QTest::keyClick(table(), Qt::Key_C, Qt::ControlModifier);
        copy();
        menu("Copy IP-Address");
        copy();
        QTest::mouseClick(rowArea, Qt::LeftButton, {}, at(2));
        QTest::mouseDClick(rowArea, Qt::LeftButton, {}, at(2));
        menu("Launch Konfiguration");
        QTest::mouseClick(rowArea, Qt::LeftButton, {}, at(0)); // an empty IP-Address cell
        click("btnLaunchConfig");
        menu("Copy Row");
        copy();
        deliver(list); // a new list drops the picked row: messages, nothing copied
        menu("Copy Row");
        copy();
        click("btnLaunchConfig");
        menu("Launch Konfiguration");

        QCOMPARE(openedUrls.join(" "), "http://10.0.0.2 http://10.0.0.3 http://10.0.0.3 http://");
        QCOMPARE(copied, (QStringList{"b\t10.0.0.2\t\t\t\t\t", "10.0.0.2", "a\t\tc\t\t\t\t",
                                      "a\t\tc\t\t\t\t"}));
        QTRY_COMPARE(boxes.seen.size(), 2);
    }

    // Columns as wide as their widest cell among the first 1000 rows.
    void columnsFit()
    {
        const QString product = "Orvane Industrial IO-Box 16 with a long name";
        QStringList list;
        for (int row = 0; row < 1000; ++row)
            list << "h|10.0.0.1|255.255.255.0|02:00:00:00:00:01|" + product;
        list << QString(300, 'W');
        deliver(list);

        const QFontMetrics metrics = table()->fontMetrics();
        QVERIFY(table()->columnWidth(4) > metrics.horizontalAdvance(product));
        QVERIFY(table()->columnWidth(3) > metrics.horizontalAdvance("02:00:00:00:00:01"));
        QVERIFY(table()->columnWidth(0) < metrics.horizontalAdvance(QString(300, 'W')));
        // A selected row leaves the header as it is, its labels plain in the room fitted.
        QCoreApplication::processEvents(); // the table's scroll bars are laid out
        const QImage header = table()->horizontalHeader()->grab().toImage();
        table()->selectRow(1);
        QCOMPARE(table()->horizontalHeader()->grab().toImage(), header);
    }

    // Last: the application's event loop ends here.
    void closingDuringAFloodEndsTheProgram()
    {
        Simulator simulator({"--raw", "666c6f6f64", "--repeat", "3000", "--interval", "3"});
        QVERIFY(simulator.listening);
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
