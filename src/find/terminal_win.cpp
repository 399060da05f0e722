#include "terminal.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

std::atomic<bool> stopSignal{false};

BOOL WINAPI onConsoleEvent(DWORD)
{
    stopSignal = true;
    return TRUE;
}

} // namespace

void useBinaryStandardStreams()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool standardOutputIsTerminal()
{
    return _isatty(_fileno(stdout)) != 0;
}

bool standardErrorIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

void catchStopSignals()
{
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool stopSignalled()
{
    return stopSignal;
}
