#pragma once

#include "discovery/protocol.h"
#include "ui/mainwindow.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <cstddef>
#include <cstdint>

// Follows one datagram the whole way a reply takes through the finder: its
// reply text, its fields, the window's table cells and the address that
// Launch opens. Needs a QApplication; no browser is ever started, the
// http handler only records the address.
class ReplyPath : public QObject {
    Q_OBJECT

public:
    ReplyPath();
    ~ReplyPath() override;
    ReplyPath(const ReplyPath &) = delete;
    ReplyPath &operator=(const ReplyPath &) = delete;

    // What went wrong on the way for these bytes; empty when nothing did.
    QString check(const std::uint8_t *data, std::size_t size);

public slots:
    void recordUrl(const QUrl &url) { openedUrls_ << url; }

private:
    QString checkTableAndLaunch(const QString &replyText, const DeviceRecord &record);

    MainWindow window_;
    QList<QUrl> openedUrls_;
};
