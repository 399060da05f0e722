#include "terminal.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

void useBinaryStandardStreams()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool standardOutputIsTerminal()
{
    return _isatty(_fileno(stdout)) != 0;
}
