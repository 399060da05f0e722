#pragma once

#include "interfacelist.h"
#include "protocol.h"

#include <QStringList>
#include <QVector>

// What a search's replies tell of reaching each device from the interface the search ran on:
// an IP-Address outside the interface's subnet (or no address at all), with a way to reach it
// where its reply gives its netmask too, or one address that devices with different
// MAC-Addresses share. One list of warnings for the user per reply, in the replies' order,
// empty where nothing is amiss; the replies themselves stay as they are. An interface without
// an address gives no subnet warnings.
QVector<QStringList> judgedReplies(const QVector<DeviceRecord> &replies,
                                   const NetworkInterface &interface);
