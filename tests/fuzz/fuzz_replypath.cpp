// Any datagram through the reply path and the judgement, for the sanitizers to watch.
#include "discovery/protocol.h"
#include "discovery/replyjudgement.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > discovery::ReplyBufferSize)
        return 0; // the socket drops it
    const DeviceRecord reply = DeviceRecord::fromReplyText(
        discovery::replyText(reinterpret_cast<const char *>(data), size));
    // Beside a twin with another MAC-Address, judged against a subnet.
    DeviceRecord twin = reply;
    twin.fields[DeviceRecord::MacAddressField] += 'x';
    judgedReplies({reply, twin}, {"lanA0", "10.88.1.5", "255.255.255.0", 2});
    return 0;
}
