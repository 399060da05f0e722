// Each input is one datagram that reached the finder, followed the whole way:
// its reply text, its row in the window's table, and the page Launch opens.
// Built for libFuzzer with ORVANE_FUZZ; otherwise a main of its own replays
// the files it is given.
#include "discovery/protocol.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <memory>

namespace {

int qtArgc = 1;
char qtName[] = "fuzz_replypath";
char *qtArgv[] = {qtName, nullptr};

// The window a datagram's reply reaches; the pages Launch opens are recorded and no
// browser is ever started.
class ReplyPath : public QObject {
    Q_OBJECT

public:
    ReplyPath() { QDesktopServices::setUrlHandler("http", this, "open"); }

    MainWindow window{nullptr, [] { return std::optional(std::vector<Adapter>{}); }};
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

void require(bool holds, const char *what, const QString &text)
{
    if (!holds) {
        qCritical("%s, for the reply text \"%s\"", what, qPrintable(text));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // They live until the process ends: Qt cannot be taken down by static destructors.
    static auto *application = new QApplication(qtArgc, qtArgv);
    static auto *path = new ReplyPath;
    Q_UNUSED(application)
    if (size > discovery::ReplyBufferSize)
        return 0; // the socket drops it
    const QString text = discovery::replyText(reinterpret_cast<const char *>(data), size);
    QMetaObject::invokeMethod(&path->window, "setTableWidget", Q_ARG(QStringList, {text}));
    auto *table = path->window.findChild<QTableWidget *>("tableWidget");

    require(!text.contains(QChar(0)), "a zero byte kept in the text", text);
    for (int column = 0; column < 7; ++column)
        require(table->item(0, column)->text() == text.section('|', column, column),
                "a cell that is not its field", text);
    table->setCurrentCell(0, 0);
    path->opened.clear();
    path->window.findChild<QPushButton *>("btnLaunchConfig")->click();
    require(path->opened.size() == 1, "Launch opened no http page", text);
    return 0;
}

#ifndef ORVANE_FUZZ
int main(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        QFile input(QString::fromLocal8Bit(argv[i]));
        if (!input.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray datagram = input.readAll();
        // Exactly the datagram's size, so that reading past it shows under a sanitizer.
        const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[datagram.size()]);
        std::copy(datagram.begin(), datagram.end(), exact.get());
        LLVMFuzzerTestOneInput(exact.get(), static_cast<std::size_t>(datagram.size()));
    }
    return 0;
}
#endif

#include "fuzz_replypath.moc"
