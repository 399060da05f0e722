#include "discovery/udpsocket.h"
#include "support/privatenetwork.h"

#include <QProcess>
#include <QtTest>

// The simulator as its users run it, inside a private network namespace:
// requests go to it over loopback from a socket of the test.
class TestDeviceSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_PRIVATE_NETWORK(); }
    void badUsage_data();
    void badUsage();
    void helpNamesEveryOption();
    void answers_data();
    void answers();
    void exitsAfterRequestCount();
};

namespace {

const QString Simulator = QStringLiteral(ORVANE_DEVICE_SIM);

struct Exchange {
    QStringList replies;
    QString standardError;
};

// Sends each payload to the discovery port by broadcast and collects what comes back.
QStringList ask(const QList<QByteArray> &payloads, int quietMs = 500)
{
    const SocketLibrary library;
    UdpSocket socket;
    if (!socket.bindTo("127.0.0.1", 0) || !socket.allowBroadcast() ||
        !socket.setReceiveTimeout(quietMs))
        return {"<socket failed>"};
    for (const QByteArray &payload : payloads)
        socket.sendTo(payload.constData(), static_cast<std::size_t>(payload.size()),
                      UdpSocket::BroadcastAddress, 49999);
    QStringList replies;
    char buffer[2048];
    for (;;) {
        const UdpSocket::Received received = socket.receive(buffer, sizeof buffer);
        if (received.status != UdpSocket::ReceiveStatus::Datagram)
            return replies;
        replies << QString::fromUtf8(buffer, static_cast<int>(received.size));
    }
}

bool waitUntilListening(QProcess &simulator)
{
    return simulator.waitForReadyRead(5000) &&
           simulator.readLine().startsWith("listening on 0.0.0.0:49999");
}

} // namespace

void TestDeviceSim::badUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint");

    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "Unknown option";
    QTest::newRow("stray argument") << QStringList{"extra"} << "Unexpected argument";
    QTest::newRow("no devices") << QStringList{"--devices", "0"} << "--devices";
    QTest::newRow("negative delay") << QStringList{"--delay", "-5"} << "--delay";
    QTest::newRow("port out of range") << QStringList{"--port", "70000"} << "--port";
    QTest::newRow("repeat not a number") << QStringList{"--repeat", "twice"} << "--repeat";
    QTest::newRow("odd hex") << QStringList{"--raw", "abc"} << "--raw";
    QTest::newRow("not hex") << QStringList{"--raw", "zz"} << "--raw";
    QTest::newRow("listen on a name") << QStringList{"--listen", "localhost"} << "--listen";
    QTest::newRow("missing value") << QStringList{"--hostname"} << "Missing value";
}

void TestDeviceSim::badUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);
    QProcess simulator;

    simulator.start(Simulator, arguments);
    QVERIFY(simulator.waitForFinished(5000));

    QCOMPARE(simulator.exitCode(), 2);
    const QString error = QString::fromUtf8(simulator.readAllStandardError());
    QVERIFY2(error.contains(complaint), qPrintable(error));
    QVERIFY(simulator.readAllStandardOutput().isEmpty());
}

void TestDeviceSim::helpNamesEveryOption()
{
    QProcess simulator;
    simulator.start(Simulator, {"--help"});
    QVERIFY(simulator.waitForFinished(5000));

    QCOMPARE(simulator.exitCode(), 0);
    const QString help = QString::fromUtf8(simulator.readAllStandardOutput());
    for (const char *option :
         {"--listen", "--port", "--hostname", "--ip", "--netmask", "--mac", "--product", "--serial",
          "--firmware", "--devices", "--repeat", "--interval", "--delay", "--raw", "--requests"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
}

void TestDeviceSim::answers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<QString>("complaint");

    const QByteArray request("vkr_hello_hardware");
    const QStringList fixed{"--hostname", "h", "--product",  "P",
                            "--serial",   "S", "--firmware", "F"};
    QTest::newRow("fields from the receiving interface")
        << fixed << QList<QByteArray>{request}
        << QStringList{"h|127.0.0.1|255.0.0.0|00:00:00:00:00:00|P|S|F"} << QString();
    QTest::newRow("fields from options")
        << QStringList{"--hostname", "Gerät",       "--ip",     "10.0.0.7",
                       "--netmask",  "255.255.0.0", "--mac",    "02:AA:BB:CC:DD:EE",
                       "--product",  "Box",         "--serial", "42",
                       "--firmware", "1.2"}
        << QList<QByteArray>{request}
        << QStringList{QString::fromUtf8("Gerät|10.0.0.7|255.255.0.0|02:AA:BB:CC:DD:EE|Box|42|1.2")}
        << QString();
    QTest::newRow("three devices count up")
        << QStringList{"--devices",         "3",          "--ip",       "10.0.0.254", "--mac",
                       "02:00:00:00:00:FF", "--hostname", "d",          "--serial",   "S",
                       "--product",         "P",          "--firmware", "F"}
        << QList<QByteArray>{request}
        << QStringList{"d-1|10.0.0.254|255.0.0.0|02:00:00:00:00:FF|P|S-1|F",
                       "d-2|10.0.0.255|255.0.0.0|02:00:00:00:01:00|P|S-2|F",
                       "d-3|10.0.1.0|255.0.0.0|02:00:00:00:01:01|P|S-3|F"}
        << QString();
    QTest::newRow("request with its zero byte is junk")
        << fixed << QList<QByteArray>{QByteArray("vkr_hello_hardware", 19)} << QStringList{}
        << "ignored 19 bytes from 127.0.0.1:";
    QTest::newRow("other text is junk")
        << fixed << QList<QByteArray>{"hello"} << QStringList{} << "ignored 5 bytes";
    QTest::newRow("raw payloads in order, repeated")
        << QStringList{"--raw",  "61",       "--raw", "",           "--raw",
                       "620063", "--repeat", "2",     "--interval", "100"}
        << QList<QByteArray>{request}
        << QStringList{"a", "", QString::fromUtf8("b\0c", 3), "a", "", QString::fromUtf8("b\0c", 3)}
        << QString();
    QTest::newRow("two requests, two answers")
        << fixed << QList<QByteArray>{request, request}
        << QStringList{"h|127.0.0.1|255.0.0.0|00:00:00:00:00:00|P|S|F",
                       "h|127.0.0.1|255.0.0.0|00:00:00:00:00:00|P|S|F"}
        << QString();
}

void TestDeviceSim::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QStringList, replies);
    QFETCH(QString, complaint);
    QProcess simulator;
    simulator.start(Simulator, arguments);
    QVERIFY(waitUntilListening(simulator));

    QCOMPARE(ask(sent), replies);

    simulator.terminate();
    QVERIFY(simulator.waitForFinished(5000));
    const QString error = QString::fromUtf8(simulator.readAllStandardError());
    QVERIFY2(complaint.isEmpty() ? error.isEmpty() : error.contains(complaint), qPrintable(error));
    const QString output = QString::fromUtf8(simulator.readAllStandardOutput());
    QCOMPARE(output.count(QRegularExpression(
                 R"(request 127\.0\.0\.1:\d+ -> 255\.255\.255\.255:49999 18 bytes\n)")),
             complaint.isEmpty() ? sent.size() : 0);
}

void TestDeviceSim::exitsAfterRequestCount()
{
    QProcess simulator;
    simulator.start(Simulator, {"--requests", "2", "--delay", "50"});
    QVERIFY(waitUntilListening(simulator));

    QCOMPARE(ask({"vkr_hello_hardware"}).size(), 1);
    QCOMPARE(simulator.state(), QProcess::Running);
    QCOMPARE(ask({"vkr_hello_hardware"}).size(), 1);

    QVERIFY(simulator.waitForFinished(5000));
    QCOMPARE(simulator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(simulator.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestDeviceSim)
#include "tst_devicesim.moc"
