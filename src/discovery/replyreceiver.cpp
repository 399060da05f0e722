#include "replyreceiver.h"

#include "protocol.h"
#include "udpsocket.h"

namespace discovery {

void receiveReplies(UdpSocket &socket, QStringList &replies,
                    const std::function<bool()> &stopRequested)
{
    // A burst of replies is taken a batch at a time, so the socket's queue drains quickly.
    constexpr std::size_t Batch = 64;
    char buffers[Batch][ReplyBufferSize];
    UdpSocket::Received results[Batch];
    while (!stopRequested()) {
        const std::size_t count =
            socket.receiveMany(&buffers[0][0], ReplyBufferSize, results, Batch);
        for (std::size_t i = 0; i < count; ++i) {
            switch (results[i].status) {
            case UdpSocket::ReceiveStatus::Datagram:
                replies.append(replyText(buffers[i], results[i].size));
                break;
            case UdpSocket::ReceiveStatus::Oversized:
                break; // not a reply; the devices after it still count
            case UdpSocket::ReceiveStatus::TimedOut:
            case UdpSocket::ReceiveStatus::Failed:
                return; // the quiet time passed, or the socket gave up
            }
        }
    }
}

} // namespace discovery
