#include "standardstreams.h"

#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

StandardStreams::StandardStreams()
{
#ifdef Q_OS_WIN
    // Text mode would turn the CRLF that CSV ends its rows with into CR CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    output_.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    errors_.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool StandardStreams::outputIsTerminal() const
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(fileno(stdout)) != 0;
#endif
}
