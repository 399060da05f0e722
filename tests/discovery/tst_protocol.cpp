#include "discovery/protocol.h"

#include <QtTest>
#include <cstring>
#include <memory>

class TestProtocol : public QObject {
    Q_OBJECT

private slots:
    void replyText_data();
    void replyText();
    void deviceRecord_data();
    void deviceRecord();
};

void TestProtocol::replyText_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain record") << QByteArray("a|b|c|d|e|f|g") << QString("a|b|c|d|e|f|g");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("zero byte inside")
        << QByteArray("abcde\0fghijklmnopqrs", 20) << QString("abcde");
    QTest::newRow("zero byte first") << QByteArray("\0abc", 4) << QString();
    QTest::newRow("zero byte at end") << QByteArray("abc\0", 4) << QString("abc");
    QTest::newRow("256 bytes without zero")
        << QByteArray(256, 'x') << QString(256, QLatin1Char('x'));
    QTest::newRow("utf-8 host name") << QByteArray("M\xc3\xbcller-Ger\xc3\xa4t|10.0.0.1")
                                     << QString::fromUtf8("Müller-Gerät|10.0.0.1");
    QTest::newRow("invalid utf-8 becomes replacement")
        << QByteArray("a\xff"
                      "b")
        << QString("a") + QChar(QChar::ReplacementCharacter) + "b";
    QTest::newRow("spaces and line ends kept")
        << QByteArray(" host \r\n|\t10.0.0.1 \n") << QString(" host \r\n|\t10.0.0.1 \n");
}

void TestProtocol::replyText()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, expected);

    // A copy of exactly the datagram's size, so reading past it would show under a sanitizer.
    const std::unique_ptr<char[]> exact(new char[static_cast<std::size_t>(datagram.size())]);
    std::memcpy(exact.get(), datagram.constData(), static_cast<std::size_t>(datagram.size()));
    const QString text =
        discovery::replyText(exact.get(), static_cast<std::size_t>(datagram.size()));

    QCOMPARE(text, expected);
}

void TestProtocol::deviceRecord_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("seven fields") << "a|b|c|d|e|f|g"
                                  << QStringList{"a", "b", "c", "d", "e", "f", "g"};
    QTest::newRow("empty field keeps later columns")
        << "a||c|d|e|f|g" << QStringList{"a", "", "c", "d", "e", "f", "g"};
    QTest::newRow("trailing bar after seventh ignored")
        << "a|b|c|d|e|f|g|" << QStringList{"a", "b", "c", "d", "e", "f", "g"};
    QTest::newRow("nine fields show the first seven")
        << "a|b|c|d|e|f|g|h|i" << QStringList{"a", "b", "c", "d", "e", "f", "g"};
    QTest::newRow("fewer fields leave the rest empty")
        << "host|10.0.0.9" << QStringList{"host", "10.0.0.9", "", "", "", "", ""};
    QTest::newRow("empty reply gives seven empty fields")
        << "" << QStringList{"", "", "", "", "", "", ""};
    QTest::newRow("leading bar gives empty hostname")
        << "|10.0.0.1" << QStringList{"", "10.0.0.1", "", "", "", "", ""};
    QTest::newRow("spaces and line ends kept")
        << " h |\t1.2.3.4\r\n| m" << QStringList{" h ", "\t1.2.3.4\r\n", " m", "", "", "", ""};
}

void TestProtocol::deviceRecord()
{
    QFETCH(QString, reply);
    QFETCH(QStringList, fields);

    const DeviceRecord record = DeviceRecord::fromReplyText(reply);

    const QStringList actual(record.fields.begin(), record.fields.end());
    QCOMPARE(actual, fields);
}

QTEST_APPLESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
