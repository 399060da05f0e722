#pragma once

#include "interfacelist.h"
#include "protocol.h"

#include <QStringList>
#include <QVector>

// What a search's replies tell of reaching each device from the interface the search ran on:
// an IP-Address outside the interface's subnet (or no address at all), with a way to reach it
// where its reply gives its netmask too, or one address that devices with different
// MAC-Addresses share. The replies themselves stay as they are. An interface without an address
// gives no subnet warnings.
struct Judgement {
    // Per reply in the replies' order, the warnings for the user; empty where nothing is amiss.
    QVector<QStringList> warnings;
    // Per reply, the commands that reach it: the add and the remove command, a line each; empty
    // where there are none.
    QVector<QString> reachCommands;
};

Judgement judgedReplies(const QVector<DeviceRecord> &replies, const NetworkInterface &interface);
