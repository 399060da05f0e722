#include "terminal.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {

// Read by every search thread; a lock-free atomic may be set from a signal handler.
std::atomic<bool> stopSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace

void useBinaryStandardStreams() {}

bool standardOutputIsTerminal()
{
    return isatty(STDOUT_FILENO) != 0;
}

bool standardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}

void catchStopSignals()
{
    struct sigaction stop = {};
    stop.sa_handler = [](int) { stopSignal = true; };
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
}

bool stopSignalled()
{
    return stopSignal;
}
