#include "replypath.h"

#include <QDir>
#include <QtTest>
#include <cstring>
#include <memory>

// Every input the fuzzer was seeded with or ever crashed on, through the
// reply path again in this build.
class TestFuzzInputs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void replyPath_data();
    void replyPath();

private:
    std::unique_ptr<ReplyPath> path_;
};

namespace {

QFileInfoList inputs(const QString &folder)
{
    return QDir(QStringLiteral(ORVANE_FUZZ_DIR "/") + folder)
        .entryInfoList(QDir::Files, QDir::Name);
}

} // namespace

void TestFuzzInputs::initTestCase()
{
    QVERIFY2(inputs("corpus").size() >= 10, ORVANE_FUZZ_DIR "/corpus has lost its seeds");
    path_ = std::make_unique<ReplyPath>();
}

void TestFuzzInputs::replyPath_data()
{
    QTest::addColumn<QByteArray>("datagram");

    for (const char *folder : {"corpus", "crashes"}) {
        for (const QFileInfo &input : inputs(folder)) {
            QFile file(input.filePath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString name = QLatin1String(folder) + '/' + input.fileName();
            QTest::newRow(qPrintable(name)) << file.readAll();
        }
    }
}

void TestFuzzInputs::replyPath()
{
    QFETCH(QByteArray, datagram);

    // Exactly the datagram's size, so that reading past it shows under a sanitizer.
    const auto size = static_cast<std::size_t>(datagram.size());
    const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[size]);
    std::memcpy(exact.get(), datagram.constData(), size);
    const QString failure = path_->check(exact.get(), size);

    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

QTEST_MAIN(TestFuzzInputs)
#include "tst_fuzzinputs.moc"
