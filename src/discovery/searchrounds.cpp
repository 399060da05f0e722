#include "searchrounds.h"

#include "interfacechoice.h"
#include "interfacesearch.h"
#include "protocol.h"
#include "replyjudgement.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// One interface, and what its search brought.
struct SearchOn {
    NetworkInterface interface;
    InterfaceSearch search;
};

using SearchFrom = std::function<InterfaceSearch(const QString &address)>;

std::vector<SearchOn> searchAll(const QVector<NetworkInterface> &interfaces,
                                const SearchFrom &searchFrom)
{
    std::vector<SearchOn> searches;
    for (const NetworkInterface &interface : interfaces)
        searches.push_back({interface, {{}, whyUnsearchable(interface)}});
    std::vector<std::thread> threads;
    for (SearchOn &on : searches) {
        if (on.search.failure)
            continue;
        threads.emplace_back([&on, &searchFrom] {
            on.search = searchFrom(on.interface.address);
            if (on.search.failure)
                on.search.failure = on.interface.name() + ": " + *on.search.failure;
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    return searches;
}

// A row and its warnings per reply, with the tag where the table has a column for it.
void addReplies(DeviceTable &table, const QVector<DeviceRecord> &replies,
                const NetworkInterface &judgedOn, const QString &tag, bool tagged)
{
    table.warnings += judgedReplies(replies, judgedOn).warnings;
    for (const DeviceRecord &reply : replies) {
        QStringList row(reply.fields.begin(), reply.fields.end());
        if (tagged)
            row << tag;
        table.rows << row;
    }
}

} // namespace

SearchRounds::SearchRounds(std::optional<QString> named, bool all, int quietTimeMs,
                           AdapterQuery adapterQuery)
    : named_(std::move(named)), all_(all), quietTimeMs_(quietTimeMs), adapterQuery_(adapterQuery)
{
}

QVector<NetworkInterface> SearchRounds::chosenInterfaces(QStringList &notes)
{
    const std::optional<std::vector<Adapter>> adapters = adapterQuery_();
    const QVector<NetworkInterface> listed =
        adapters ? listedInterfaces(*adapters) : QVector<NetworkInterface>();
    const auto chosen = chooseInterfaces(listed, named_, all_);
    if (const auto *reason = std::get_if<QString>(&chosen)) {
        noteFailure(notes, named_.value_or(QString()), *reason);
        return {};
    }
    const QVector<NetworkInterface> &interfaces = std::get<QVector<NetworkInterface>>(chosen);
    if (all_)
        noteChangesOfAll(notes, listed, interfaces);
    return interfaces;
}

void SearchRounds::noteFailure(QStringList &notes, const QString &where, const QString &message)
{
    anyFailed_ = true;
    if (!failing_.contains(where))
        notes << message;
    failing_ << where;
}

void SearchRounds::noteWorking(QStringList &notes, const QString &where,
                               const NetworkInterface &interface)
{
    if (failing_.remove(where))
        notes << QStringLiteral("searching on %1 works again, from %2.")
                     .arg(interface.name(), interface.address);
}

void SearchRounds::noteChangesOfAll(QStringList &notes, const QVector<NetworkInterface> &listed,
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
                notes << QStringLiteral("searching on %1 too, from %2.")
                             .arg(interface.name(), interface.address);
        }
        for (const NetworkInterface &earlier : *searching_) {
            if (find(chosen, earlier) != chosen.end())
                continue;
            const auto now = find(listed, earlier);
            const QString why = now == listed.end() ? "it is no longer listed"
                                : now->linkUp       ? "it has no IPv4 address now"
                                                    : "its link is down";
            notes << QStringLiteral("no longer searching on %1: %2.").arg(earlier.name(), why);
            failing_.remove(earlier.description);
        }
    }
    searching_ = chosen;
}

// Only the first search from a place hints: later silence is a device going away. Loopback is
// searched where asked, but devices are not expected there; a sweep's targets are.
void SearchRounds::noteFirstSilence(QStringList &notes, const NetworkInterface &from, bool silent)
{
    if (heardFrom_.contains(from.description))
        return;
    heardFrom_ << from.description;
    if (!silent || !tellsNothingHeard_)
        return;
    if (sweep_)
        notes << nobodyAnsweredAt(sweep_->targets.size());
    else if (!from.isLoopback())
        notes << nobodyAnswered(from);
}

InterfaceSearch SearchRounds::searchFrom(const QString &address,
                                         const discovery::StopCheck &stopRequested)
{
    if (sweep_)
        return sweepFrom(address, sweep_->targets, sweep_->requestsPerSecond, quietTimeMs_,
                         stopRequested, sweep_->progress);
    return ::searchFrom(address, quietTimeMs_, stopRequested);
}

// No interface named: one sweep from the address the routing chooses. A device reached through
// a route is outside every subnet of this computer by nature: judged without one.
SearchRounds::Round SearchRounds::routedSweep(const discovery::StopCheck &stopRequested)
{
    Round round;
    const InterfaceSearch search = searchFrom(NoIpv4Address, stopRequested);
    if (search.failure) {
        noteFailure(round.notes, QString(), *search.failure);
        return round;
    }
    if (failing_.remove(QString()))
        round.notes << QStringLiteral("searching works again.");
    noteFirstSilence(round.notes, NetworkInterface(), search.replies.isEmpty());
    round.searchedTags << QString();
    DeviceTable table{DeviceRecord::fieldNames(), {}, {}};
    addReplies(table, deviceRecords(search.replies), NetworkInterface(), QString(), false);
    round.found = table;
    return round;
}

SearchRounds::Round SearchRounds::search(const discovery::StopCheck &stopRequested)
{
    if (sweep_ && !named_)
        return routedSweep(stopRequested);
    Round round;
    DeviceTable table{DeviceRecord::fieldNames(), {}, {}};
    if (all_)
        table.header << "Interface";
    bool anyListened = false;
    const SearchFrom from = [this, &stopRequested](const QString &address) {
        return searchFrom(address, stopRequested);
    };
    for (const SearchOn &on : searchAll(chosenInterfaces(round.notes), from)) {
        const NetworkInterface &interface = on.interface;
        // With --all, each interface as itself; otherwise the one the user named, wherever it is.
        const QString where = all_ ? interface.description : named_.value_or(QString());
        if (on.search.failure) {
            noteFailure(round.notes, where, *on.search.failure);
            continue;
        }
        noteWorking(round.notes, where, interface);
        anyListened = true;
        const QString tag = all_ ? interface.description : QString();
        round.searchedTags << tag;
        noteFirstSilence(round.notes, interface, on.search.replies.isEmpty());
        // Through a route, a device is outside the interface's subnet by nature.
        addReplies(table, deviceRecords(on.search.replies), sweep_ ? NetworkInterface() : interface,
                   tag, all_);
    }
    if (anyListened)
        round.found = table;
    return round;
}

void pauseUntil(const QDeadlineTimer &until, const discovery::StopCheck &stopRequested)
{
    while (!until.hasExpired() && !stopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(
            std::min<qint64>(50, std::max<qint64>(0, until.remainingTime()))));
}
