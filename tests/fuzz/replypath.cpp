#include "replypath.h"

#include "discovery/protocol.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QPushButton>
#include <QTableWidget>

namespace {

std::optional<std::vector<Adapter>> loopbackOnly()
{
    return std::vector<Adapter>{{"lo (loopback)", "127.0.0.1"}};
}

QString quoted(const QString &text)
{
    return QStringLiteral("\"%1\" (UTF-8 %2)")
        .arg(text, QString::fromLatin1(text.toUtf8().toHex()));
}

} // namespace

ReplyPath::ReplyPath() : window_(nullptr, loopbackOnly)
{
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "recordUrl");
}

ReplyPath::~ReplyPath()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
}

QString ReplyPath::check(const std::uint8_t *data, std::size_t size)
{
    // The socket drops larger datagrams before anything reads them.
    if (size > discovery::ReplyBufferSize)
        return {};
    const char *bytes = reinterpret_cast<const char *>(data);
    const QString text = discovery::replyText(bytes, size);

    const QByteArray datagram(bytes, static_cast<int>(size));
    const int zero = datagram.indexOf('\0');
    const QString expectedText = QString::fromUtf8(zero < 0 ? datagram : datagram.left(zero));
    if (text != expectedText)
        return QStringLiteral("reply text %1, expected %2").arg(quoted(text), quoted(expectedText));

    const DeviceRecord record = DeviceRecord::fromReplyText(text);
    for (int i = 0; i < DeviceRecord::FieldCount; ++i) {
        const QString &field = record.fields[static_cast<std::size_t>(i)];
        const QString expectedField = text.section(QLatin1Char('|'), i, i);
        if (field != expectedField)
            return QStringLiteral("field %1 is %2, expected %3")
                .arg(i)
                .arg(quoted(field), quoted(expectedField));
    }
    return checkTableAndLaunch(text, record);
}

QString ReplyPath::checkTableAndLaunch(const QString &replyText, const DeviceRecord &record)
{
    if (!QMetaObject::invokeMethod(&window_, "setTableWidget",
                                   Q_ARG(QStringList, QStringList{replyText})))
        return QStringLiteral("the window took no device list");
    auto *table = window_.findChild<QTableWidget *>(QStringLiteral("tableWidget"));
    if (table->rowCount() != 1)
        return QStringLiteral("one reply gave %1 rows").arg(table->rowCount());
    for (int column = 0; column < DeviceRecord::FieldCount; ++column) {
        const QTableWidgetItem *cell = table->item(0, column);
        const QString &field = record.fields[static_cast<std::size_t>(column)];
        if (cell == nullptr || cell->text() != field)
            return QStringLiteral("cell %1 is %2, expected %3")
                .arg(column)
                .arg(cell ? quoted(cell->text()) : QStringLiteral("missing"), quoted(field));
    }

    // With a row picked, Launch opens its page without asking anything.
    table->setCurrentCell(0, 0);
    if (table->currentRow() != 0)
        return QStringLiteral("the row could not be picked");
    openedUrls_.clear();
    window_.findChild<QPushButton *>(QStringLiteral("btnLaunchConfig"))->click();
    const QString address = table->item(0, 1)->text();
    // Only the http handler records: any other scheme leaves the list empty.
    if (openedUrls_.size() != 1)
        return QStringLiteral("Launch opened %1 http addresses for the IP-Address %2")
            .arg(openedUrls_.size())
            .arg(quoted(address));
    const QUrl expected(QStringLiteral("http://") + address, QUrl::TolerantMode);
    if (openedUrls_.first() != expected || openedUrls_.first().scheme() != QLatin1String("http"))
        return QStringLiteral("Launch opened %1 for the IP-Address %2, expected %3")
            .arg(openedUrls_.first().toString(), quoted(address), expected.toString());
    return {};
}
