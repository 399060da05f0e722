#include "cli/interfacechoice.h"

#include <QtTest>

class TestInterfaceChoice : public QObject {
    Q_OBJECT

private slots:
    void nameOf_data();
    void nameOf();
    void choose_data();
    void choose();
};

namespace {

const QVector<NetworkInterface> Linux{
    {"lo (loopback)", "127.0.0.1"},
    {"eth0 (Ethernet, driver e1000e)", "10.0.0.2"},
    {"wlan0 (wireless, driver iwlwifi)", "0.0.0.0"},
    {"eth1 (Ethernet)", "0.0.0.0"},
    {"tun0", "10.8.0.6"},
};
const QVector<NetworkInterface> Windows{
    {"Intel(R) Ethernet Connection (7) I219-V", "192.168.1.5"},
    {"Realtek PCIe GbE Family Controller", "10.0.0.7"},
};
const QVector<NetworkInterface> OnlyOne{{"eth0 (Ethernet)", "10.0.0.2"}};
const QVector<NetworkInterface> ListedTwice{{"eth0 (Ethernet)", "10.0.0.2"},
                                            {"eth0 (Ethernet)", "10.0.0.2"},
                                            {"lo (loopback)", "127.0.0.1"}};
const QVector<NetworkInterface> SameNameTwoAddresses{{"br0 (Ethernet, bridge)", "10.1.0.1"},
                                                     {"br0 (Ethernet)", "10.2.0.1"}};
const QVector<NetworkInterface> NoneWithAddress{{"eth0 (Ethernet)", "0.0.0.0"}};

FindRequest named(const QString &text)
{
    FindRequest request;
    request.interface = text;
    return request;
}

FindRequest all()
{
    FindRequest request;
    request.allInterfaces = true;
    return request;
}

QStringList described(const QVector<NetworkInterface> &interfaces)
{
    QStringList list;
    for (const NetworkInterface &interface : interfaces)
        list << interface.description + " = " + interface.address;
    return list;
}

} // namespace

Q_DECLARE_METATYPE(NetworkInterface)
Q_DECLARE_METATYPE(FindRequest)

void TestInterfaceChoice::nameOf_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("name");

    QTest::newRow("linux with kind") << "eth0 (Ethernet, driver e1000e)"
                                     << "eth0";
    QTest::newRow("linux loopback") << "lo (loopback)"
                                    << "lo";
    QTest::newRow("linux name alone") << "tun0"
                                      << "";
    QTest::newRow("windows with bracket inside") << "Intel(R) Ethernet Connection (7) I219-V"
                                                 << "";
    QTest::newRow("windows without bracket") << "Realtek PCIe GbE Family Controller"
                                             << "";
    QTest::newRow("bracket first") << " (odd)"
                                   << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestInterfaceChoice::nameOf()
{
    QFETCH(QString, description);
    QFETCH(QString, name);

    QCOMPARE(InterfaceChoice::nameOf(description), name);
}

void TestInterfaceChoice::choose_data()
{
    QTest::addColumn<QVector<NetworkInterface>>("listed");
    QTest::addColumn<FindRequest>("request");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<QString>("error"); // null when a choice is made

    const QString linuxListing = "  lo (loopback)  127.0.0.1\n"
                                 "  eth0 (Ethernet, driver e1000e)  10.0.0.2\n"
                                 "  wlan0 (wireless, driver iwlwifi)  0.0.0.0\n"
                                 "  eth1 (Ethernet)  0.0.0.0\n"
                                 "  tun0  10.8.0.6";

    QTest::newRow("by description")
        << Linux << named("eth0 (Ethernet, driver e1000e)")
        << QStringList{"eth0 (Ethernet, driver e1000e) = 10.0.0.2"} << QString();
    QTest::newRow("by name") << Linux << named("eth0")
                             << QStringList{"eth0 (Ethernet, driver e1000e) = 10.0.0.2"}
                             << QString();
    QTest::newRow("by address") << Linux << named("127.0.0.1")
                                << QStringList{"lo (loopback) = 127.0.0.1"} << QString();
    QTest::newRow("name without description kind")
        << Linux << named("tun0") << QStringList{"tun0 = 10.8.0.6"} << QString();
    QTest::newRow("interface without address by name")
        << Linux << named("wlan0") << QStringList{"wlan0 (wireless, driver iwlwifi) = 0.0.0.0"}
        << QString();
    QTest::newRow("windows by description")
        << Windows << named("Intel(R) Ethernet Connection (7) I219-V")
        << QStringList{"Intel(R) Ethernet Connection (7) I219-V = 192.168.1.5"} << QString();
    QTest::newRow("windows first word is no name")
        << Windows << named("Intel(R)") << QStringList{}
        << "No listed interface has the description, name or address 'Intel(R)'. The interfaces "
           "are:\n  Intel(R) Ethernet Connection (7) I219-V  192.168.1.5\n"
           "  Realtek PCIe GbE Family Controller  10.0.0.7";
    QTest::newRow("name in other case") << Linux << named("ETH0") << QStringList{}
                                        << "No listed interface has the description, name or "
                                           "address 'ETH0'. The interfaces are:\n" +
                                               linuxListing;
    QTest::newRow("part of a description")
        << Linux << named("Ethernet") << QStringList{}
        << "No listed interface has the description, name or address 'Ethernet'. The interfaces "
           "are:\n" +
               linuxListing;
    QTest::newRow("address not listed")
        << Linux << named("10.0.0.3") << QStringList{}
        << "No listed interface has the description, name or address '10.0.0.3'. The interfaces "
           "are:\n" +
               linuxListing;
    QTest::newRow("empty text") << Linux << named("") << QStringList{}
                                << "No listed interface has the description, name or address ''. "
                                   "The interfaces are:\n" +
                                       linuxListing;
    // Both would search from the same address, so either is the same search.
    QTest::newRow("address shared by two is one search")
        << Linux << named("0.0.0.0") << QStringList{"wlan0 (wireless, driver iwlwifi) = 0.0.0.0"}
        << QString();
    QTest::newRow("name of two addresses")
        << SameNameTwoAddresses << named("br0") << QStringList{}
        << "'br0' names more than one interface; give its address:\n"
           "  br0 (Ethernet, bridge)  10.1.0.1\n  br0 (Ethernet)  10.2.0.1";
    QTest::newRow("listed twice is one")
        << ListedTwice << named("eth0") << QStringList{"eth0 (Ethernet) = 10.0.0.2"} << QString();
    QTest::newRow("only one listed")
        << OnlyOne << FindRequest() << QStringList{"eth0 (Ethernet) = 10.0.0.2"} << QString();
    QTest::newRow("only one listed, without address")
        << NoneWithAddress << FindRequest() << QStringList{"eth0 (Ethernet) = 0.0.0.0"}
        << QString();
    QTest::newRow("several listed") << Linux << FindRequest() << QStringList{}
                                    << "Several interfaces are listed: choose one with "
                                       "--interface, or search on all with --all.\n" +
                                           linuxListing;
    QTest::newRow("same one listed twice")
        << ListedTwice.mid(0, 2) << FindRequest() << QStringList{}
        << "Several interfaces are listed: choose one with --interface, or search on all with "
           "--all.\n  eth0 (Ethernet)  10.0.0.2\n  eth0 (Ethernet)  10.0.0.2";
    QTest::newRow("none listed") << QVector<NetworkInterface>{} << FindRequest() << QStringList{}
                                 << "No network interface is listed to search on.";
    QTest::newRow("all skips those without address")
        << Linux << all()
        << QStringList{"lo (loopback) = 127.0.0.1", "eth0 (Ethernet, driver e1000e) = 10.0.0.2",
                       "tun0 = 10.8.0.6"}
        << QString();
    QTest::newRow("all searches an address once")
        << ListedTwice << all()
        << QStringList{"eth0 (Ethernet) = 10.0.0.2", "lo (loopback) = 127.0.0.1"} << QString();
    QTest::newRow("all with none addressed")
        << NoneWithAddress << all() << QStringList{}
        << "No listed interface has an IPv4 address to search from. The interfaces are:\n"
           "  eth0 (Ethernet)  0.0.0.0";
    QTest::newRow("all with none listed")
        << QVector<NetworkInterface>{} << all() << QStringList{}
        << "No listed interface has an IPv4 address to search from.";
}

void TestInterfaceChoice::choose()
{
    QFETCH(QVector<NetworkInterface>, listed);
    QFETCH(FindRequest, request);
    QFETCH(QStringList, chosen);
    QFETCH(QString, error);

    const auto choice = InterfaceChoice(listed).choose(request);

    if (error.isNull()) {
        const auto *interfaces = std::get_if<QVector<NetworkInterface>>(&choice);
        QVERIFY2(interfaces, interfaces ? "" : qPrintable(std::get<UsageError>(choice).message));
        QCOMPARE(described(*interfaces), chosen);
    } else {
        const auto *usageError = std::get_if<UsageError>(&choice);
        QVERIFY2(usageError, "a choice was made");
        QCOMPARE(usageError->message, error);
    }
}

QTEST_GUILESS_MAIN(TestInterfaceChoice)
#include "tst_interfacechoice.moc"
