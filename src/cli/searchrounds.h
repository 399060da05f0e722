#pragma once

#include "discovery/broadcastsearch.h"
#include "discovery/interfacelist.h"
#include "formats.h"

#include <QStringList>
#include <QVector>
#include <cstdio>
#include <optional>

// orvane-find's searches, a round at a time: one search per chosen interface, all at once, each
// on a thread of its own. Standard error hears of failures and of an interface whose first
// search heard nothing; the round gives a row and its warnings per reply, in the interfaces' order.
class SearchRounds {
public:
    // With tagInterface, each row ends with its interface's description.
    SearchRounds(QVector<NetworkInterface> interfaces, int quietTimeMs, bool tagInterface);

    // Nothing when no search got as far as listening. stopRequested ends the searches early.
    std::optional<DeviceTable> search(const discovery::StopCheck &stopRequested);
    bool anyFailed() const { return anyFailed_; }
    // Not while waiting for a device to come back: silence is what is expected then.
    void stopTellingNothingHeard() { tellsNothingHeard_ = false; }

private:
    const QVector<NetworkInterface> interfaces_;
    const int quietTimeMs_;
    const bool tagInterface_;
    bool anyFailed_ = false;
    bool tellsNothingHeard_ = true;
    QStringList listenedOn_; // the addresses of interfaces that have had a search
};

// Writes at once: a watch's lines must not wait in a buffer.
void print(FILE *stream, const QByteArray &bytes);
void printLine(FILE *stream, const QString &line);
void printWarnings(const QVector<QStringList> &warnings);
