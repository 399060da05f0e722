#include "discovery/devicewatch.h"
#include "discovery/interfacechoice.h"
#include "discovery/searchrounds.h"
#include "support/support.h"

using Interfaces = QVector<NetworkInterface>;
Q_DECLARE_METATYPE(Interfaces)

namespace {

std::vector<Adapter> listedNow; // what the system lists in this round

} // namespace

// Rounds of searches: which interfaces they run on, what they tell the user as the network
// changes, and what a watch makes of their rows.
class TestRounds : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        // An address of no loopback network, where nobody answers either.
        QCOMPARE(QProcess::execute("ip", {"addr", "add", "10.250.0.1/32", "dev", "lo"}), 0);
    }

    // Which interfaces a search runs on, from what the system lists.
    void interfaceChoice_data()
    {
        QTest::addColumn<Interfaces>("listed");
        QTest::addColumn<QString>("named");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("chosen"); // descriptions, or the start of why none
        const NetworkInterface lo{"lo (loopback)", "127.0.0.1", "255.0.0.0"};
        const NetworkInterface eth0{"eth0 (Ethernet)", "10.0.0.5", "255.255.255.0"};
        const NetworkInterface wlan0{"wlan0 (wireless)", "10.0.1.5", "255.255.255.0"};
        const NetworkInterface down{"eth1 (Ethernet)", "10.0.2.5", "255.255.255.0", 3, false};
        const NetworkInterface bare{"eth2 (Ethernet)", "0.0.0.0", "0.0.0.0"};
        const QString several = "Several interfaces are listed";
        const auto row = [](const char *name, const Interfaces &listed, const char *named, bool all,
                            const QStringList &chosen) {
            QTest::newRow(name) << listed << named << all << chosen;
        };
        row("loopback and one card: the card", {lo, eth0}, "", false, {"eth0 (Ethernet)"});
        row("loopback and two cards", {lo, eth0, wlan0}, "", false, {several});
        row("a card whose link is down beside one that can search", {down, eth0}, "", false,
            {"eth0 (Ethernet)"});
        row("loopback and a card that cannot search: the card, to say why", {lo, bare}, "", false,
            {"eth2 (Ethernet)"});
        row("none can search", {lo, bare, down}, "", false, {several});
        row("by address", {lo, eth0}, "10.0.0.5", false, {"eth0 (Ethernet)"});
        // As orvane-find follows the interface it chose for the user.
        row("by description", {lo, eth0}, "eth0 (Ethernet)", false, {"eth0 (Ethernet)"});
        row("all: with an address and a link that is up", {lo, down, bare, eth0}, "", true,
            {"lo (loopback)", "eth0 (Ethernet)"});
        row("nothing listed", {}, "", false, {"No network interface is listed"});
        const NetworkInterface bridge{"eth0 (Ethernet, bridge)", "10.0.3.5", "255.255.255.0"};
        row("a name of two", {eth0, bridge}, "eth0", false, {"'eth0' names more than one"});
        row("all: none up with an address", {down, bare}, "", true, {"No listed interface"});
        row("not listed", {lo}, "eth9", false, {"No listed interface has the description"});
    }
    void interfaceChoice()
    {
        QFETCH(Interfaces, listed);
        QFETCH(QString, named);
        QFETCH(bool, all);
        QFETCH(QStringList, chosen);
        const auto choice = chooseInterfaces(
            listed, named.isEmpty() ? std::nullopt : std::optional<QString>(named), all);
        QStringList result;
        if (const auto *why = std::get_if<QString>(&choice))
            result << why->left(chosen.value(0).size());
        else
            for (const NetworkInterface &interface : std::get<Interfaces>(choice))
                result << interface.description;
        QCOMPARE(result, chosen);
    }

    // Each round searches for real, on loopback's addresses, from what the system lists then.
    void notes_data()
    {
        QTest::addColumn<QString>("named");     // empty: --all
        QTest::addColumn<QString>("rounds");    // "; " between rounds, ", " between adapters
        QTest::addColumn<QStringList>("notes"); // per round, " / " between them
        QTest::newRow("failing told once, then working again from a new address")
            << "lana"
            << "lana 127.0.0.2; lana 0.0.0.0; lana 0.0.0.0; lana 127.0.0.3; lana 127.0.0.3"
            << QStringList{"", "lana has no IPv4 address to search from.", "",
                           "searching on lana works again, from 127.0.0.3.", ""};
        QTest::newRow("a search that fails names its interface")
            << "lana"
            << "lana 10.9.9.9; lana 10.9.9.9" << QStringList{"lana: Bind to socket failed", ""};
        QTest::newRow("all: taken in and left out, and why")
            << ""
            << "lo 127.0.0.1, lana 127.0.0.2; lo 127.0.0.1, lana 0.0.0.0; lo 127.0.0.1, lana "
               "127.0.0.3; lo 127.0.0.1, lana 127.0.0.3 down; lo 127.0.0.1; lo 127.0.0.1, lana "
               "127.0.0.4; lo 127.0.0.1"
            << QStringList{"",
                           "no longer searching on lana: it has no IPv4 address now.",
                           "searching on lana too, from 127.0.0.3.",
                           "no longer searching on lana: its link is down.",
                           "",
                           "searching on lana too, from 127.0.0.4.",
                           "no longer searching on lana: it is no longer listed."};
        QTest::newRow("nobody answered: on an interface's first search, loopback aside")
            << ""
            << "lo 127.0.0.1, lanc 10.250.0.1; lo 127.0.0.1, lanc 10.250.0.1"
            << QStringList{"no device answered on lanc. Where devices are, a firewall on this "
                           "computer may drop their replies (from UDP port 49999 to a port the "
                           "system chose), or they are on another network segment.",
                           ""};
    }
    void notes()
    {
        QFETCH(QString, named);
        QFETCH(QString, rounds);
        QFETCH(QStringList, notes);
        SearchRounds searches(named.isEmpty() ? std::nullopt : std::optional<QString>(named),
                              named.isEmpty(), 50,
                              []() -> std::optional<std::vector<Adapter>> { return listedNow; });
        QStringList told;
        for (const QString &round : rounds.split("; ")) {
            listedNow.clear();
            for (const QString &adapter : round.split(", ")) {
                const QStringList parts = adapter.split(' '); // "NAME ADDRESS [down]"
                listedNow.push_back({parts[0].toStdString(), parts[1].toStdString(), "255.0.0.0", 1,
                                     parts.size() < 3});
            }
            told << searches.search([] { return false; }).notes.join(" / ");
        }
        QCOMPARE(told, notes);
    }

    // What a watch tells of each search: each search complete.
    void watchEvents_data()
    {
        QTest::addColumn<QString>("rounds");   // per search its rows ("|" between columns), as
        QTest::addColumn<QString>("searched"); // the tags of the interfaces searched: "; " between
        QTest::addColumn<QString>("events");   // searches, ", " within; no tags: untagged
        QTest::newRow("gone from the second search missed in a row")
            << "a|1||m1, b|2||m2; b|2||m2; ; "
            << ""
            << "appeared a|1||m1, appeared b|2||m2; ; gone a|1||m1; gone b|2||m2";
        QTest::newRow("a search missed, then answered: missed no more")
            << "a|1||m1; ; a|1||m1; ; a|1||m1"
            << ""
            << "appeared a|1||m1; ; ; ; ";
        QTest::newRow("the first of a device's answers counts; its MAC in another case")
            << "a|1||m1, a|2||m1; a|1||M1, b|3; b|3, b|3|x"
            << ""
            << "appeared a|1||m1; changed a|1||M1, appeared b|3; appeared b|3|x";
        QTest::newRow("a MAC on two interfaces is two devices; one not searched is not missed")
            << "a|1||m1||||lana, a|2||m1||||lanb; a|1||m1||||lana; a|1||m1||||lana"
            << "lana, lanb; lana; lana"
            << "appeared a|1||m1||||lana, appeared a|2||m1||||lanb; ; ";
    }
    void watchEvents()
    {
        QFETCH(QString, rounds);
        QFETCH(QString, searched);
        QFETCH(QString, events);
        DeviceWatch watch;
        QStringList told;
        const QStringList tagsSearched = searched.split("; ");
        for (const QString &round : rounds.split("; ")) {
            DeviceTable found;
            for (const QString &row : round.split(", ", Qt::SkipEmptyParts))
                found.rows << row.split('|');
            const QStringList tags = tagsSearched.value(told.size()).split(", ");
            QStringList said;
            for (const DeviceWatch::Event &event :
                 watch.update(found, QSet<QString>(tags.begin(), tags.end())))
                said << event.kind + ' ' + event.row.join('|');
            told << said.join(", ");
        }
        QCOMPARE(told.join("; "), events);
    }
};

QTEST_GUILESS_MAIN(TestRounds)
#include "tst_rounds.moc"
