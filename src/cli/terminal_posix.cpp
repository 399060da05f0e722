#include "terminal.h"

#include <csignal>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

} // namespace

void useBinaryStandardStreams() {}

bool standardOutputIsTerminal()
{
    return isatty(STDOUT_FILENO) != 0;
}

void catchStopSignals()
{
    struct sigaction stop = {};
    stop.sa_handler = [](int) { stopSignal = 1; };
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
}

bool stopSignalled()
{
    return stopSignal != 0;
}
