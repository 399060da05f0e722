#include "searchrounds.h"

#include "discovery/protocol.h"
#include "discovery/replyjudgement.h"

#include <cstdio>
#include <thread>
#include <vector>

namespace {

// What one interface's search brought.
struct InterfaceSearch {
    NetworkInterface interface;
    QVector<DeviceRecord> replies; // in arrival order
    std::optional<QString> failure;
};

std::vector<InterfaceSearch> searchAll(const QVector<NetworkInterface> &interfaces, int quietTimeMs,
                                       const discovery::StopCheck &stopRequested)
{
    std::vector<InterfaceSearch> searches;
    for (const NetworkInterface &interface : interfaces)
        searches.push_back({interface, {}, std::nullopt});
    std::vector<std::thread> threads;
    for (InterfaceSearch &search : searches) {
        threads.emplace_back([&search, quietTimeMs, &stopRequested] {
            const auto failure = discovery::broadcastSearch(
                search.interface.address.toUtf8().constData(), quietTimeMs,
                [&search](const char *bytes, std::size_t size) {
                    search.replies
                        << DeviceRecord::fromReplyText(discovery::replyText(bytes, size));
                },
                stopRequested);
            if (failure)
                search.failure = QString::fromStdString(*failure);
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    return searches;
}

} // namespace

SearchRounds::SearchRounds(QVector<NetworkInterface> interfaces, int quietTimeMs, bool tagInterface)
    : interfaces_(std::move(interfaces)), quietTimeMs_(quietTimeMs), tagInterface_(tagInterface)
{
}

std::optional<DeviceTable> SearchRounds::search(const discovery::StopCheck &stopRequested)
{
    DeviceTable table{DeviceRecord::fieldNames(), {}, {}};
    if (tagInterface_)
        table.header << "Interface";
    bool anyListened = false;
    for (const InterfaceSearch &search : searchAll(interfaces_, quietTimeMs_, stopRequested)) {
        const NetworkInterface &interface = search.interface;
        if (search.failure) {
            // The message alone, as the window shows it; with --all, which interface it was.
            anyFailed_ = true;
            printLine(stderr, tagInterface_ ? interface.description + ": " + *search.failure
                                            : *search.failure);
            continue;
        }
        anyListened = true;
        // Only the first search on an interface hints: later silence is a device going away.
        if (!listenedOn_.contains(interface.address)) {
            listenedOn_ << interface.address;
            if (search.replies.isEmpty() && tellsNothingHeard_)
                printLine(stderr,
                          QStringLiteral("orvane-find: no device answered on %1. Where devices "
                                         "are, a firewall on this computer may drop their "
                                         "replies (from UDP port %2 to a port the system "
                                         "chose), or they are on another network segment.")
                              .arg(interface.name())
                              .arg(discovery::Port));
        }
        table.warnings += judgedReplies(search.replies, interface);
        for (const DeviceRecord &reply : search.replies) {
            QStringList row(reply.fields.begin(), reply.fields.end());
            if (tagInterface_)
                row << interface.description;
            table.rows << row;
        }
    }
    if (!anyListened)
        return std::nullopt;
    return table;
}

void print(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

void printLine(FILE *stream, const QString &line)
{
    print(stream, (line + '\n').toUtf8());
}

void printWarnings(const QVector<QStringList> &warnings)
{
    for (const QStringList &row : warnings) {
        for (const QString &warning : row)
            printLine(stderr, "orvane-find: warning: " + warning);
    }
}
