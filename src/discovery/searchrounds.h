#pragma once

#include "devicetable.h"
#include "interfacelist.h"
#include "interfacesearch.h"
#include "platform/broadcastsearch.h"

#include <QDeadlineTimer>
#include <QSet>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <optional>
#include <vector>

// Searches a round at a time: one search per chosen interface, all at once, each on a thread of
// its own. The interfaces are chosen again before every round, as the user named them, so that
// a search follows its interface to a new address. Each round notes for the user when searching
// on an interface starts failing and when it works again, an interface --all takes in or leaves
// out, and an interface whose first search heard nothing.
class SearchRounds {
public:
    struct Round {
        QStringList notes; // in the order they happened, each told once
        // A row and its warnings per reply, in the interfaces' order; with --all each row ends
        // with its interface's description. Nothing when no search got as far as listening.
        std::optional<DeviceTable> found;
        // The row tags (past the reply's fields) of the interfaces that listened: a device of
        // any other tag was not looked for.
        QSet<QString> searchedTags;
    };

    // The request sent to each of these addresses (host byte order) instead of a broadcast, at
    // most requestsPerSecond a second: from the named interface's address, or without one from
    // the address the routing chooses.
    struct Sweep {
        std::vector<std::uint32_t> targets;
        int requestsPerSecond;
        SweepProgressHandler progress; // on the sweep's thread
    };

    // named: an interface's description, name or address; all: every one with an address.
    SearchRounds(std::optional<QString> named, bool all, int quietTimeMs,
                 AdapterQuery adapterQuery = &queryAdapters);
    void askDirectly(Sweep sweep) { sweep_ = std::move(sweep); }

    // stopRequested ends the searches early.
    Round search(const discovery::StopCheck &stopRequested);
    bool anyFailed() const { return anyFailed_; }
    // Not while waiting for a device to come back: silence is what is expected then.
    void stopTellingNothingHeard() { tellsNothingHeard_ = false; }

private:
    QVector<NetworkInterface> chosenInterfaces(QStringList &notes);
    InterfaceSearch searchFrom(const QString &address, const discovery::StopCheck &stopRequested);
    Round routedSweep(const discovery::StopCheck &stopRequested);
    void noteFirstSilence(QStringList &notes, const NetworkInterface &from, bool silent);
    void noteFailure(QStringList &notes, const QString &where, const QString &message);
    void noteWorking(QStringList &notes, const QString &where, const NetworkInterface &interface);
    void noteChangesOfAll(QStringList &notes, const QVector<NetworkInterface> &listed,
                          const QVector<NetworkInterface> &chosen);

    const std::optional<QString> named_;
    const bool all_;
    const int quietTimeMs_;
    const AdapterQuery adapterQuery_;
    bool anyFailed_ = false;
    bool tellsNothingHeard_ = true;
    QSet<QString> heardFrom_; // descriptions of interfaces that have had a search ("": routed)
    QSet<QString> failing_;   // where searching fails now, as the user knows it
    std::optional<QVector<NetworkInterface>> searching_; // with --all, the last round's
    std::optional<Sweep> sweep_;
};

// Sleeps until the time has come or stopRequested says so: the pause between rounds.
void pauseUntil(const QDeadlineTimer &until, const discovery::StopCheck &stopRequested);
