#pragma once

#include "commandline/output.h"
#include "discovery/broadcastsearch.h"
#include "discovery/interfacelist.h"
#include "formats.h"

#include <QSet>
#include <QStringList>
#include <QVector>
#include <cstdio>
#include <optional>

// orvane-find's searches, a round at a time: one search per chosen interface, all at once, each
// on a thread of its own. The interfaces are chosen again before every round, as the user named
// them, so that a search follows its interface to a new address. Standard error hears when
// searching on an interface starts failing and when it works again, of an interface --all takes
// in or leaves out, and of an interface whose first search heard nothing.
class SearchRounds {
public:
    // A round that listened on at least one interface.
    struct Round {
        // A row and its warnings per reply, in the interfaces' order; with --all each row ends
        // with its interface's description.
        DeviceTable table;
        // The row tags (past the reply's fields) of the interfaces that listened: a device of
        // any other tag was not looked for.
        QSet<QString> searchedTags;
    };

    // named: an interface's description, name or address; all: every one with an address.
    SearchRounds(std::optional<QString> named, bool all, int quietTimeMs);

    // Nothing when no search got as far as listening. stopRequested ends the searches early.
    std::optional<Round> search(const discovery::StopCheck &stopRequested);
    bool anyFailed() const { return anyFailed_; }
    // Not while waiting for a device to come back: silence is what is expected then.
    void stopTellingNothingHeard() { tellsNothingHeard_ = false; }

private:
    QVector<NetworkInterface> chosenInterfaces();
    void tellFailure(const QString &where, const QString &message);
    void tellWorking(const QString &where, const NetworkInterface &interface);
    void tellChangesOfAll(const QVector<NetworkInterface> &listed,
                          const QVector<NetworkInterface> &chosen);

    const std::optional<QString> named_;
    const bool all_;
    const int quietTimeMs_;
    bool anyFailed_ = false;
    bool tellsNothingHeard_ = true;
    QSet<QString> heardFrom_; // descriptions of interfaces that have had a search
    QSet<QString> failing_;   // where searching fails now, as the user knows it
    std::optional<QVector<NetworkInterface>> searching_; // with --all, the last round's
};

void printWarnings(const QVector<QStringList> &warnings);
