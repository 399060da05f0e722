// One datagram followed the whole way: reply text, its judgement, table row, and the page
// Launch opens.
#include "discovery/protocol.h"
#include "discovery/replyjudgement.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>

namespace {

int qtArgc = 1;
char qtName[] = "fuzz_replypath";
char *qtArgv[] = {qtName, nullptr};

// The window a datagram's reply reaches; Launch's pages are recorded, no browser starts.
class ReplyPath : public QObject {
    Q_OBJECT

public:
    ReplyPath() { QDesktopServices::setUrlHandler("http", this, "open"); }

    MainWindow window{nullptr, [] { return std::optional(std::vector<Adapter>{}); }};
    int opened = 0;

public slots:
    void open(const QUrl &) { ++opened; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // They live until the process ends: Qt cannot be taken down by static destructors.
    static auto *path = (new QApplication(qtArgc, qtArgv), new ReplyPath);
    if (size > discovery::ReplyBufferSize)
        return 0; // the socket drops it
    const QString text = discovery::replyText(reinterpret_cast<const char *>(data), size);
    QMetaObject::invokeMethod(&path->window, "setTableWidget", Q_ARG(QStringList, {text}));
    auto *table = path->window.findChild<QTableWidget *>("tableWidget");

    bool whole = !text.contains(QChar(0)); // nothing after a zero byte
    for (int column = 0; column < 7; ++column)
        whole = whole && table->item(0, column)->text() == text.section('|', column, column);
    // Beside a twin with another MAC-Address, judged against a subnet.
    DeviceRecord twin = DeviceRecord::fromReplyText(text);
    twin.fields[3] += 'x';
    const QVector<QStringList> judged = judgedReplies({DeviceRecord::fromReplyText(text), twin},
                                                      {"lanA0", "10.88.1.5", "255.255.255.0"});
    if (judged.size() != 2 || judged[0].size() > 2 || judged[1].size() > 2)
        qFatal("the reply text \"%s\" was judged wrongly", qPrintable(text));

    table->setCurrentCell(0, 0);
    path->opened = 0;
    path->window.findChild<QPushButton *>("btnLaunchConfig")->click();
    if (!whole || path->opened != 1)
        qFatal("the reply text \"%s\" lost a field, or Launch opened %d pages", qPrintable(text),
               path->opened);
    return 0;
}

#include "fuzz_replypath.moc"
