#include "terminal.h"

#include <unistd.h>

void useBinaryStandardStreams() {}

bool standardOutputIsTerminal()
{
    return isatty(STDOUT_FILENO) != 0;
}
