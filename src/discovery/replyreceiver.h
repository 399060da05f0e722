#pragma once

#include <QStringList>
#include <functional>

class UdpSocket;

namespace discovery {

// Appends the text of every reply that reaches the socket until its receive
// time-out passes without one. A datagram too large for a reply is dropped and
// listening goes on. stopRequested is asked before every receive.
void receiveReplies(UdpSocket &socket, QStringList &replies,
                    const std::function<bool()> &stopRequested);

} // namespace discovery
