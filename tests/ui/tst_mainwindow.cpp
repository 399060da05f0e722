#include "support/support.h"
#include "ui/mainwindow.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>
#include <QTableWidget>
#ifdef Q_OS_LINUX
#include <csignal>
#include <malloc.h>
#endif

using Adapters = std::optional<std::vector<Adapter>>;
using AdapterList = std::vector<Adapter>;
Q_DECLARE_METATYPE(AdapterList)

namespace {

// Closes the plain message boxes (no parent, one OK) while it lives: "Title: text (icon)".
struct MessageBoxCloser : QTimer {
    QStringList seen;

    MessageBoxCloser()
    {
        connect(this, &QTimer::timeout, [this] {
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

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    QStringList openedUrls;
    QTemporaryDir settingsHome;

    QString settingsFile() const { return settingsHome.filePath("Orvane/Orvane Finder.conf"); }

    static inline Adapters given; // what the window's adapter query gives

    void open(const Adapters &adapters)
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
    QComboBox *interfaceList() { return widget<QComboBox>("cbNetworkInterfaces"); }
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
    // The texts a screen reader finds in the window, as far as they are shown.
    static QStringList spoken(QAccessibleInterface *node)
    {
        QStringList texts;
        if (node->state().invisible)
            return texts;
        texts << node->text(QAccessible::Name);
        for (int child = 0; child < node->childCount(); ++child)
            texts << spoken(node->child(child));
        return texts;
    }
    void click(const char *button) { QTest::mouseClick(widget(button), Qt::LeftButton); }
    void clickHeader(int column)
    {
        const QHeaderView *header = table()->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    // The row menu's entry of that text.
    QAction *menuEntry(const QString &text)
    {
        for (QAction *action : table()->actions())
            if (action->text() == text)
                return action;
        return nullptr;
    }
    // Each row's first field, in the order shown.
    QString hostnames()
    {
        QStringList shown;
        for (int row = 0; row < table()->rowCount(); ++row)
            shown << table()->item(row, 0)->text();
        return shown.join(' ');
    }
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
        open(std::vector<Adapter>{{"lo (loopback)", "127.0.0.1", "255.0.0.0", 7},
                                  {"VMware Network Adapter VMnet1", "10.0.0.1", "255.0.0.0"}});
    }

    // A row per property: as the window shows it, as it should be.
    void looksAsItShould_data()
    {
        QTest::addColumn<QVariant>("shown");
        QTest::addColumn<QVariant>("expected");
        init();
        QCOMPARE(abouts().size(), 1);
        QWidget *about = abouts()[0];
        const auto *label = about->findChild<QLabel *>("label");
        const auto text = [this](const char *name) {
            return widget(name)->property("text").toString();
        };
        QStringList headers, focus{"btnSearch"}, menu;
        QString fitting;
        const QHeaderView *header = table()->horizontalHeader();
        for (int column = 0; column < table()->columnCount(); ++column) {
            headers << table()->horizontalHeaderItem(column)->text();
            const bool fits = table()->columnWidth(column) >= header->sectionSizeHint(column);
            fitting +=
                fits && header->sectionResizeMode(column) == QHeaderView::Interactive ? 'y' : 'n';
        }
        for (QWidget *next = widget("btnSearch")->nextInFocusChain(); next != widget("btnSearch");
             next = next->nextInFocusChain())
            if (next->focusPolicy() & Qt::TabFocus)
                focus << next->objectName();
        for (const QAction *action : table()->actions())
            menu << action->text() + ' ' + action->shortcut().toString();
        int aboutPhrases = 0;
        for (const char *phrase :
             {">Orvane Finder<", ">Anwendung zum finden von Orvane Hardware in Netzwerken<",
              ">Release: " ORVANE_VERSION "<br/>Datum: 18.02.2014<",
              ">Orvane Software Downloadservice<"})
            aboutPhrases += label->text().contains(phrase);
        const QSize needed = label->sizeHint();
        const auto row = [](const char *property, const QVariant &shown, const QVariant &expected) {
            QTest::newRow(property) << shown << expected;
        };
        row("title", window->windowTitle(), "Orvane Finder");
        row("frame", frame(window.get()), "800x250 minimise fixed");
        row("buttons", text("btnSearch") + '|' + text("btnLaunchConfig") + '|' + text("pushButton"),
            "Search|Launch Konfiguration|About");
        row("status", status(), "");
        row("interfaces listed", interfaces(), QStringList{"*lo (loopback) 127.0.0.1"});
        row("status alignment", int(widget<QLabel>("lbStatus")->alignment()), int(Qt::AlignCenter));
        row("headers", headers.join('|'),
            "Hostname|IP-Address|Netmask|MAC-Address|Product Name|Serial No|Firmware Version");
        row("selects rows", int(table()->selectionBehavior()), int(QAbstractItemView::SelectRows));
        row("selects one", int(table()->selectionMode()), int(QAbstractItemView::SingleSelection));
        row("read-only", int(table()->editTriggers()), int(QAbstractItemView::NoEditTriggers));
        row("no row numbers", table()->verticalHeader()->isHidden(), true);
        row("no rows", table()->rowCount(), 0);
        row("tab order", focus.join(' '),
            "btnSearch btnLaunchConfig tableWidget cbNetworkInterfaces pushButton");
        row("accessible names",
            table()->accessibleName() + '|' +
                widget("cbNetworkInterfaces")->accessibleDescription(),
            "Devices found|Network interface to search on");
        // Headers that fit, widths the user can drag.
        row("columns fit and drag", fitting, "yyyyyyy");
        row("row menu", menu.join('|'),
            "Copy IP-Address |Copy Row Ctrl+C|Launch Konfiguration Return|Copy Commands That Reach "
            "It |Save List... Ctrl+S|Compare With List... |Stop Comparing ");
        row("row menu on right click", int(table()->contextMenuPolicy()),
            int(Qt::ActionsContextMenu));
        row("About: title, frame, button",
            about->windowTitle() + ' ' + frame(about) + ' ' +
                about->findChild<QWidget *>("pushButton")->property("text").toString(),
            "About 350x250 fixed OK");
        row("About: phrases", aboutPhrases, 4);
        row("About: links open", label->openExternalLinks(), true);
        // The whole text in its label, however large the system's font.
        row("About: text fits",
            needed.width() <= label->width() && needed.height() <= label->height(), true);
    }
    void looksAsItShould()
    {
        QFETCH(QVariant, shown);
        QFETCH(QVariant, expected);
        QCOMPARE(shown, expected);
    }

    // The system's own list, read again as it opens: a bridge with an address comes.
    void systemListReadAgain()
    {
        MessageBoxCloser boxes;
        window = std::make_unique<MainWindow>();
        const QStringList atStart = interfaces();
        ip({"link", "add", "orvbr0", "type", "bridge"});
        ip({"addr", "add", "10.77.0.1/24", "dev", "orvbr0"});
        interfaceList()->showPopup();
        interfaceList()->hidePopup();
        const QStringList opened = interfaces();
        ip({"link", "del", "orvbr0"});
#ifdef Q_OS_WIN // Windows lists no loopback: at the start, no list at all
        QCOMPARE(atStart, QStringList());
        QCOMPARE(opened, QStringList{"orvbr0 10.77.0.1"});
        QCOMPARE(boxes.seen, QStringList{"Error: No network interfaces detected (3)"});
#else
        QCOMPARE(atStart, QStringList{"*lo (loopback) 127.0.0.1"});
        QCOMPARE(opened,
                 (QStringList{"*lo (loopback) 127.0.0.1", "orvbr0 (Ethernet, bridge) 10.77.0.1"}));
#endif
    }

    // The list read again as it opens, or at Search: the choice stays on its name, the search
    // goes out from the address it has then.
    void listFollowsTheNetwork_data()
    {
        QTest::addColumn<AdapterList>("before");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<AdapterList>("after");
        QTest::addColumn<bool>("opened"); // the list, before Search
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("searched"); // the request's source, or the box
        const Adapter lo{"lo (loopback)", "127.0.0.1", "255.0.0.0"};
        const auto eth1 = [](const char *address) {
            return Adapter{"eth1 (Ethernet)", address, "255.0.0.0"};
        };
        QTest::newRow("an address given after the start")
            << AdapterList({lo, eth1("0.0.0.0")}) << "eth1" << AdapterList({lo, eth1("127.0.0.2")})
            << true << QStringList{"lo (loopback) 127.0.0.1", "*eth1 (Ethernet) 127.0.0.2"}
            << "127.0.0.2";
        QTest::newRow("an address changed, seen at Search")
            << AdapterList({lo, eth1("127.0.0.2")}) << "eth1"
            << AdapterList({lo, eth1("127.0.0.3")}) << false
            << QStringList{"lo (loopback) 127.0.0.1", "*eth1 (Ethernet) 127.0.0.3"} << "127.0.0.3";
        QTest::newRow("an interface came")
            << AdapterList({lo, eth1("127.0.0.2")}) << "eth1"
            << AdapterList({{"usb0 (Ethernet)", "127.0.0.4", "255.0.0.0"}, lo, eth1("127.0.0.2")})
            << true
            << QStringList{"usb0 (Ethernet) 127.0.0.4", "lo (loopback) 127.0.0.1",
                           "*eth1 (Ethernet) 127.0.0.2"}
            << "127.0.0.2";
        QTest::newRow("the chosen one went")
            << AdapterList({lo, eth1("127.0.0.2")}) << "eth1" << AdapterList({lo}) << true
            << QStringList{"lo (loopback) 127.0.0.1"}
            << "Information: Please select a network interface (1)";
    }
    void listFollowsTheNetwork()
    {
        QFETCH(AdapterList, before);
        QFETCH(QString, chosen);
        QFETCH(AdapterList, after);
        QFETCH(bool, opened);
        QFETCH(QStringList, listed);
        QFETCH(QString, searched);
        MessageBoxCloser boxes;
        Simulator simulator({"--raw", "61"});
        QVERIFY(simulator.listening);
        open(before);
        interfaceList()->setCurrentIndex(interfaceList()->findText(chosen, Qt::MatchStartsWith));
        given = after;
        if (opened) {
            interfaceList()->showPopup();
            interfaceList()->hidePopup();
        }
        click("btnSearch");
        QCOMPARE(interfaces(), listed);
        if (searched.contains(':'))
            QTRY_COMPARE(boxes.seen, QStringList{searched});
        else
            QTRY_COMPARE(simulator.lines("request " + searched + ':').size(), 1);
    }

    // The interface last searched on is chosen at the next start, from where the platform keeps
    // a user's settings.
    void choiceKeptAcrossStarts()
    {
        MessageBoxCloser boxes;
        const AdapterList listed{{"eth1 (Ethernet)", "10.0.0.1", "255.0.0.0"},
                                 {"usb0 (Ethernet)", "127.0.0.1", "255.0.0.0"}};
        open(listed);
        QCOMPARE(interfaceList()->currentText(), "eth1 (Ethernet)");
        interfaceList()->setCurrentIndex(1);
        click("btnSearch");
        QTRY_COMPARE_WITH_TIMEOUT(status(), QString(), 10000);
        QCOMPARE(boxes.seen, QStringList());
        open(listed);
        QCOMPARE(interfaceList()->currentText(), "usb0 (Ethernet)");
#ifdef Q_OS_WIN
        QProcess reg;
        reg.start("reg", {"query", "HKCU\\Software\\Orvane\\Orvane Finder", "/v", "lastInterface"});
        QVERIFY(reg.waitForFinished(30000));
        QVERIFY(reg.readAllStandardOutput().contains("usb0"));
#else
        QFile file(settingsFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("lastInterface=usb0"));
#endif
    }

#ifndef Q_OS_WIN
    // Whatever the settings file holds, the window starts on an interface it lists.
    void keptChoice_data()
    {
        QTest::addColumn<QString>("settings"); // the file; "": none, "/": a folder in its place
        QTest::addColumn<QString>("chosen");
        const QString kept = "[General]\nlastInterface=";
        QTest::newRow("none: the first where devices may answer") << ""
                                                                  << "eth1";
        QTest::newRow("one listed, though it cannot search") << kept + "eth2\n"
                                                             << "eth2";
        QTest::newRow("one no longer listed") << kept + "eth9\n"
                                              << "eth1";
        QTest::newRow("a list where a name belongs") << kept + "eth2, lo\n"
                                                     << "eth1";
        QTest::newRow("a number") << kept + "@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n"
                                  << "eth1";
        QTest::newRow("unreadable") << "/"
                                    << "eth1";
    }
    void keptChoice()
    {
        QFETCH(QString, settings);
        QFETCH(QString, chosen);
        QDir().mkpath(QFileInfo(settingsFile()).path());
        QFile::remove(settingsFile());
        QDir().rmdir(settingsFile());
        QFile file(settingsFile());
        if (settings == "/")
            QVERIFY(QDir().mkdir(settingsFile()));
        else if (!settings.isEmpty())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(settings.toUtf8()) > 0);
        file.close();
        open(AdapterList{{"lo (loopback)", "127.0.0.1", "255.0.0.0"},
                         {"eth2 (Ethernet)", "0.0.0.0", "0.0.0.0"},
                         { "eth1 (Ethernet)",
                           "10.0.0.1",
                           "255.0.0.0" }});
        QDir().rmdir(settingsFile());
        QCOMPARE(interfaceList()->currentText().section(' ', 0, 0), chosen);
    }
#endif

    // A search nobody answered says so in the table's empty area, to screen readers too, until
    // the next search.
    void nobodyAnsweredIsSaid()
    {
        const QString word = "No device answered on lo. Where devices are, a firewall on this "
                             "computer may drop their replies (from UDP port 49999 to a port the "
                             "system chose), or they are on another network segment.";
        const auto said = [this, &word] {
            return spoken(QAccessible::queryAccessibleInterface(window.get())).contains(word);
        };
        QVERIFY(!said());
        click("btnSearch");
        QTRY_VERIFY_WITH_TIMEOUT(said(), 10000);
        Simulator simulator({"--raw", "61"});
        QVERIFY(simulator.listening);
        click("btnSearch");
        QVERIFY(!said());
        QTRY_COMPARE_WITH_TIMEOUT(rows(), QStringList{"a||||||"}, 10000);
        QVERIFY(!said());
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
        row("adapter query fails", "none", "", "Error: No network interfaces detected (3)");
        row("search by F5 without an interface", "", "F5",
            "Information: Please select a network interface (1)");
        row("launch without a row", "127.0.0.1", "btnLaunchConfig",
            "Information: No device selected! (1)");
        row("empty address", "-", "btnSearch", "Error: Bind to socket failed (3)");
        // ENETUNREACH: the namespace has no route for a broadcast from the any-address.
        row("send without a route", "0.0.0.0", "btnSearch",
            "Error: sendto failed with error code: 101 (3)");
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
        // What the socket delivers: the split of a reply is the protocol's.
        const QList<QPair<QByteArray, QString>> replies{
            {"a|127.0.0.2|c|d|e|f|g", "a|127.0.0.2|c|d|e|f|g"},
            {"a|127.0.0.2|c|d|e|f|g", "a|127.0.0.2|c|d|e|f|g"},
            {"host|10.0.0.9|255.255.255.0", "host|10.0.0.9|255.255.255.0||||"},
            {"", "||||||"},
            {QByteArray("z|y\0", 4), "z|y|||||"},
            {QByteArray(300, 'x'), "dropped"},
            {QByteArray(256, 'q'), QString(256, 'q') + "||||||"},
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
        QCOMPARE(signs, "--ssss");
        // The commands take lo by name, or on Windows by its index.
#ifdef Q_OS_WIN
        const QString add = "netsh interface ipv4 add address name=7 address=10.0.0.254 "
                            "mask=255.255.255.0 store=active",
                      remove = "netsh interface ipv4 delete address name=7 address=10.0.0.254";
#else
        const QString add = "ip address add 10.0.0.254/24 dev lo",
                      remove = "ip address del 10.0.0.254/24 dev lo";
#endif
        QCOMPARE(table()->item(2, 1)->toolTip(),
                 "10.0.0.9 is not in 127.0.0.0/8 (lo): its page may not open from this "
                 "computer.\nTo reach it, add the address 10.0.0.254/24 to lo for a while, with "
                 "administrator rights:\n  " +
                     add + "\nand remove it afterwards:\n  " + remove);
        table()->setCurrentCell(0, 0);
        QVERIFY(!menuEntry("Copy Commands That Reach It")->isEnabled());
        table()->setCurrentCell(2, 0);
        menuEntry("Copy Commands That Reach It")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), add + '\n' + remove);
        const QString requests = simulator.lines("request ").join('\n');
        const QRegularExpression one(
            R"(^request 127\.0\.0\.1:(?!49999 )\d+ -> 255\.255\.255\.255:49999 18 bytes$)");
        QVERIFY2(one.match(requests).hasMatch(), qPrintable(requests));
    }

    void launchAndCopy()
    {
        MessageBoxCloser boxes;
        const QStringList list{"a|10.0.0.2@evil.example|c", "b|10.0.0.2", "c|10.0.0.3"};
        QStringList copied;
        const auto copy = [&] { copied << QGuiApplication::clipboard()->text(); };
        const auto menu = [this](const QString &item) { menuEntry(item)->trigger(); };
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
        QTest::keyClick(table(), Qt::Key_Return);
        menu("Copy IP-Address");
        copy();
        QTest::mouseClick(rowArea, Qt::LeftButton, {}, at(2));
        QTest::mouseDClick(rowArea, Qt::LeftButton, {}, at(2));
        menu("Launch Konfiguration");
        QTest::mouseClick(rowArea, Qt::LeftButton, {}, at(0)); // no address: nothing opened
        click("btnLaunchConfig");
        menu("Copy Row");
        copy();
        deliver(list); // a new list drops the picked row: messages, nothing copied
        menu("Copy Row");
        copy();
        click("btnLaunchConfig");
        menu("Launch Konfiguration");
        QDesktopServices::unsetUrlHandler("http"); // a desktop with no browser
        QTest::mouseClick(rowArea, Qt::LeftButton, {}, at(2));
        click("btnLaunchConfig");
        QDesktopServices::setUrlHandler("http", this, "recordUrl");

        QCOMPARE(openedUrls.join(" "),
                 "http://10.0.0.2 http://10.0.0.2 http://10.0.0.3 http://10.0.0.3");
        QCOMPARE(copied, (QStringList{"b\t10.0.0.2\t\t\t\t\t", "10.0.0.2",
                                      "a\t10.0.0.2@evil.example\tc\t\t\t\t",
                                      "a\t10.0.0.2@evil.example\tc\t\t\t\t"}));
        QTRY_COMPARE(boxes.seen.size(), 4);
        QCOMPARE(boxes.seen[0], "Error: The IP-Address \"10.0.0.2@evil.example\" is no address: "
                                "no page was opened. (3)");
        QCOMPARE(boxes.seen[3], "Error: No web browser could open http://10.0.0.3. Open it in a "
                                "browser yourself. (3)");
    }

    // A click on a header sorts by its column, the next one the other way; a new search brings
    // the order of arrival back, at the top.
    void sortedByAHeader()
    {
        QStringList list{"b|10.88.1.10", "C|10.88.1.9", "a|x", "B2|10.88.1.100"};
        for (int more = 0; more < 50; ++more) // more than the table shows at once
            list << "z|10.88.2.1";
        deliver(list);
        QStringList orders;
        for (const int column : {1, 1, 0}) {
            clickHeader(column);
            orders << hostnames().left(10);
        }
        table()->scrollToBottom();
        deliver(list);
        orders << hostnames().left(10);
        QCOMPARE(orders, (QStringList{"C b B2 z z", "a z z z z ", "a b B2 C z", "b C a B2 z"}));
        QCOMPARE(table()->verticalScrollBar()->value(), 0);
        QCOMPARE(table()->horizontalHeader()->sortIndicatorSection(), -1); // no arrow
    }

    // The list as shown, in orvane-find's CSV or JSON by the file's name; a file that cannot be
    // written is said, and nothing is left half-written.
    void savedAsShown()
    {
        MessageBoxCloser boxes;
        deliver({"a|10.0.0.7||m1", "b|10.0.0.7||m2", "c|10.0.0.8"});
        clickHeader(0);
        clickHeader(0);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("taken.csv"));
        const auto saveAs = [](const QString &path, const std::function<void()> &ask) {
            QTimer::singleShot(0, [path] {
                for (QWidget *widget : QApplication::topLevelWidgets())
                    if (auto *dialog = qobject_cast<QFileDialog *>(widget)) {
                        dialog->selectFile(path);
                        static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
                    }
            });
            ask();
        };
        saveAs(folder.filePath("list"),
               [this] { QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier); });
        saveAs(folder.filePath("list.JSON"), [this] { menuEntry("Save List...")->trigger(); });
        saveAs(folder.filePath("taken.csv"), [this] { menuEntry("Save List...")->trigger(); });

        QFile csv(folder.filePath("list.csv")), json(folder.filePath("list.JSON"));
        QVERIFY(csv.open(QIODevice::ReadOnly) && json.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll(), "Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial "
                                "No,Firmware Version\r\nc,10.0.0.8,,,,,\r\nb,10.0.0.7,,m2,,,\r\n"
                                "a,10.0.0.7,,m1,,,\r\n");
        const QString fields = R"("Netmask": "", "Product Name": "", "Serial No": "",
                                  "Firmware Version": "")";
        const QString shared = "10.0.0.7 (%1) shares its address with another device (%2): its "
                               "page may be another device's";
        QCOMPARE(QJsonDocument::fromJson(json.readAll()),
                 QJsonDocument::fromJson(
                     QString(R"([{"Hostname": "c", "IP-Address": "10.0.0.8", "MAC-Address": "",
                                  %1, "Warnings": []},
                                 {"Hostname": "b", "IP-Address": "10.0.0.7", "MAC-Address": "m2",
                                  %1, "Warnings": ["%2"]},
                                 {"Hostname": "a", "IP-Address": "10.0.0.7", "MAC-Address": "m1",
                                  %1, "Warnings": ["%3"]}])")
                         .arg(fields, shared.arg("m2", "m1"), shared.arg("m1", "m2"))
                         .toUtf8()));
        QTRY_COMPARE(boxes.seen.size(), 1);
        QVERIFY2(boxes.seen[0].startsWith("Error: The list could not be saved to " +
                                          QDir::toNativeSeparators(folder.filePath("taken.csv")) +
                                          ": "),
                 qPrintable(boxes.seen[0]));
        QCOMPARE(
            QDir(folder.path())
                .entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name | QDir::IgnoreCase),
            (QStringList{"list.csv", "list.JSON", "taken.csv"}));
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

#ifdef Q_OS_LINUX
    // Hundreds of searches, with signals interrupting the system calls: nothing grows.
    void steadyOverManySearches()
    {
        open(std::vector<Adapter>{{"lo (loopback)", "127.0.0.1", "255.0.0.0"},
                                  {"unrouted", "0.0.0.0", "0.0.0.0"},
                                  { "gone",
                                    "192.0.2.1",
                                    "255.255.255.0" }});
        auto *interfaces = widget<QComboBox>("cbNetworkInterfaces");
        // Twice 1100 devices: more rows than one chunk of the parallel fill.
        Simulator simulator(
            QString("--devices 1100 --hostname d --ip x --netmask m --mac x --product p "
                    "--serial s --firmware f --repeat 2 --interval 800")
                .split(' '));
        QVERIFY(simulator.listening);
        const MessageBoxCloser boxes;
        int fills = 0;
        connect(table()->model(), &QAbstractItemModel::rowsInserted, this, [&] { ++fills; });
        // A handler that does nothing, so that signals only interrupt the search's system calls.
        struct sigaction interrupt = {};
        interrupt.sa_handler = [](int){};
        QCOMPARE(sigaction(SIGUSR1, &interrupt, nullptr), 0);
        // Every 40th search finds the device; the others fail at the bind or at the send.
        const auto searches = [&](int from, int to) {
            for (int i = from; i < to; ++i) {
                QElapsedTimer clock;
                clock.start();
                interfaces->setCurrentIndex(i % 40 == 0 ? 0 : 1 + i % 2);
                click("btnSearch");
                if (i % 40 == 0) {
                    QTRY_COMPARE(simulator.lines("request ").size(), i / 40 + 1);
                    // Pressed again while it listens, on an interface that would fail: no effect.
                    interfaces->setCurrentIndex(2);
                    click("btnSearch");
                }
                for (int round = 0; i == 80 && round < 10; ++round) { // every thread, its too
                    for (const QString &thread :
                         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                        tgkill(getpid(), thread.toInt(), SIGUSR1);
                    QTest::qWait(50);
                }
                QVERIFY(QTest::qWaitFor([this] { return status().isEmpty(); }, 10000));
                // Held open by the second reply, then a quiet second.
                QVERIFY2(i % 40 || (clock.elapsed() >= 1700 && clock.elapsed() < 2600),
                         qPrintable(QString::number(clock.elapsed())));
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
        const auto answerDialog = [](const QString &path) {
            QTimer::singleShot(0, [path] {
                for (QWidget *widget : QApplication::topLevelWidgets())
                    if (auto *dialog = qobject_cast<QFileDialog *>(widget)) {
                        dialog->selectFile(path);
                        static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
                    }
            });
        };
        const auto choose = [&](const char *name, const QByteArray &list) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(list) == list.size());
            file.close();
            answerDialog(file.fileName());
            menuEntry("Compare With List...")->trigger();
        };
        choose("bad.csv", "Firmware Version\n2.5.0\n");
        QTRY_COMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0], "Error: " + QDir::toNativeSeparators(folder.filePath("bad.csv")) +
                                    ", line 1: no column names a device: the header needs "
                                    "MAC-Address, Serial No or Hostname (3)");
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
        QCOMPARE(hostnames(), "=gone a b c");
        table()->setCurrentCell(0, 0);
        click("btnLaunchConfig");
        QTRY_COMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen[1], "Information: This device did not answer the search: there is no "
                                "page to open. (1)");
        QCOMPARE(openedUrls, QStringList());
        answerDialog(folder.filePath("report.csv"));
        menuEntry("Save List...")->trigger();
        QFile report(folder.filePath("report.csv"));
        QVERIFY(report.open(QIODevice::ReadOnly));
        QCOMPARE(report.readAll(),
                 "Check,Hostname,IP-Address,Netmask,MAC-Address,Product Name,Serial No,Firmware "
                 "Version,Differences\r\nmissing,'=gone,,,m9,,,1.0,\r\n"
                 "as expected,a,10.0.0.1,,m1,P,S1,2.4.1,\r\n"
                 "differs,b,10.0.0.2,,m2,P,S2,2.4.1,\"Firmware Version: 2.4.1, expected 2.5.0\"\r\n"
                 "unexpected,c,10.0.0.3,,m3,P,S3,2.4.1,\r\n");

        menuEntry("Stop Comparing")->trigger();
        QCOMPARE(rows(), answers);
        QVERIFY(table()->item(1, 0)->icon().isNull() && status().isEmpty());
        QVERIFY(!menuEntry("Stop Comparing")->isVisible());
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
