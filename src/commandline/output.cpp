#include "output.h"

void print(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

void printLine(FILE *stream, const QString &line)
{
    print(stream, (line + '\n').toUtf8());
}
