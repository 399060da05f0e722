#include "searchrounds.h"

#include "discovery/protocol.h"
#include "discovery/replyjudgement.h"
#include "interfacechoice.h"

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

// What one interface's search brought.
struct InterfaceSearch {
    NetworkInterface interface;
    QStringList replies; // in arrival order, as received: split once the search is over
    std::optional<QString> failure;
};

std::vector<InterfaceSearch> searchAll(const QVector<NetworkInterface> &interfaces, int quietTimeMs,
                                       const discovery::StopCheck &stopRequested)
{
    std::vector<InterfaceSearch> searches;
    for (const NetworkInterface &interface : interfaces)
        searches.push_back({interface, {}, whyUnsearchable(interface)});
    std::vector<std::thread> threads;
    for (InterfaceSearch &search : searches) {
        if (search.failure)
            continue;
        threads.emplace_back([&search, quietTimeMs, &stopRequested] {
            const auto failure = discovery::broadcastSearch(
                search.interface.address.toUtf8().constData(), quietTimeMs,
                [&search](const char *bytes, std::size_t size) {
                    search.replies << discovery::replyText(bytes, size);
                },
                stopRequested);
            if (failure)
                search.failure = search.interface.name() + ": " + QString::fromStdString(*failure);
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    return searches;
}

QVector<DeviceRecord> records(const QStringList &replies)
{
    QVector<DeviceRecord> split;
    split.reserve(replies.size());
    for (const QString &reply : replies)
        split << DeviceRecord::fromReplyText(reply);
    return split;
}

} // namespace

SearchRounds::SearchRounds(std::optional<QString> named, bool all, int quietTimeMs)
    : named_(std::move(named)), all_(all), quietTimeMs_(quietTimeMs)
{
}

QVector<NetworkInterface> SearchRounds::chosenInterfaces()
{
    const std::optional<std::vector<Adapter>> adapters = queryAdapters();
    const QVector<NetworkInterface> listed =
        adapters ? listedInterfaces(*adapters) : QVector<NetworkInterface>();
    const auto chosen = chooseInterfaces(listed, named_, all_);
    if (const auto *reason = std::get_if<QString>(&chosen)) {
        tellFailure(named_.value_or(QString()), *reason);
        return {};
    }
    const QVector<NetworkInterface> &interfaces = std::get<QVector<NetworkInterface>>(chosen);
    if (all_)
        tellChangesOfAll(listed, interfaces);
    return interfaces;
}

void SearchRounds::tellFailure(const QString &where, const QString &message)
{
    anyFailed_ = true;
    if (!failing_.contains(where))
        printLine(stderr, "orvane-find: " + message);
    failing_ << where;
}

void SearchRounds::tellWorking(const QString &where, const NetworkInterface &interface)
{
    if (failing_.remove(where))
        printLine(stderr, QStringLiteral("orvane-find: searching on %1 works again, from %2.")
                              .arg(interface.name(), interface.address));
}

void SearchRounds::tellChangesOfAll(const QVector<NetworkInterface> &listed,
                                    const QVector<NetworkInterface> &chosen)
{
    const auto find = [](const QVector<NetworkInterface> &among, const NetworkInterface &wanted) {
        return std::find_if(among.begin(), among.end(), [&wanted](const NetworkInterface &i) {
            return i.description == wanted.description;
        });
    };
    if (searching_) {
        for (const NetworkInterface &interface : chosen) {
            if (find(*searching_, interface) == searching_->end())
                printLine(stderr, QStringLiteral("orvane-find: searching on %1 too, from %2.")
                                      .arg(interface.name(), interface.address));
        }
        for (const NetworkInterface &earlier : *searching_) {
            if (find(chosen, earlier) != chosen.end())
                continue;
            const auto now = find(listed, earlier);
            const QString why = now == listed.end() ? "it is no longer listed"
                                : now->linkUp       ? "it has no IPv4 address now"
                                                    : "its link is down";
            printLine(stderr, QStringLiteral("orvane-find: no longer searching on %1: %2.")
                                  .arg(earlier.name(), why));
            failing_.remove(earlier.description);
        }
    }
    searching_ = chosen;
}

std::optional<SearchRounds::Round> SearchRounds::search(const discovery::StopCheck &stopRequested)
{
    Round round{{DeviceRecord::fieldNames(), {}, {}}, {}};
    if (all_)
        round.table.header << "Interface";
    bool anyListened = false;
    for (const InterfaceSearch &search :
         searchAll(chosenInterfaces(), quietTimeMs_, stopRequested)) {
        const NetworkInterface &interface = search.interface;
        // With --all, each interface as itself; otherwise the one the user named, wherever it is.
        const QString where = all_ ? interface.description : named_.value_or(QString());
        if (search.failure) {
            tellFailure(where, *search.failure);
            continue;
        }
        tellWorking(where, interface);
        anyListened = true;
        const QString tag = all_ ? interface.description : QString();
        round.searchedTags << tag;
        // Only the first search on an interface hints: later silence is a device going away.
        // Loopback is searched where asked, but devices are not expected there.
        if (!heardFrom_.contains(interface.description)) {
            heardFrom_ << interface.description;
            if (search.replies.isEmpty() && tellsNothingHeard_ && !interface.isLoopback())
                printLine(stderr,
                          QStringLiteral("orvane-find: no device answered on %1. Where devices "
                                         "are, a firewall on this computer may drop their "
                                         "replies (from UDP port %2 to a port the system "
                                         "chose), or they are on another network segment.")
                              .arg(interface.name())
                              .arg(discovery::Port));
        }
        const QVector<DeviceRecord> replies = records(search.replies);
        round.table.warnings += judgedReplies(replies, interface);
        for (const DeviceRecord &reply : replies) {
            QStringList row(reply.fields.begin(), reply.fields.end());
            if (all_)
                row << tag;
            round.table.rows << row;
        }
    }
    if (!anyListened)
        return std::nullopt;
    return round;
}

void printWarnings(const QVector<QStringList> &warnings)
{
    // One write for them all: a flood of replies can bring a warning each.
    QString lines;
    for (const QStringList &row : warnings) {
        for (const QString &warning : row)
            lines += "orvane-find: warning: " + warning + '\n';
    }
    print(stderr, lines.toUtf8());
}
