#include "commandline/output.h"
#include "findmodes.h"

int listInterfaces(const QVector<NetworkInterface> &listed)
{
    for (const NetworkInterface &interface : listed)
        printLine(stdout, tsvEscaped(interface.description) + '\t' + tsvEscaped(interface.address));
    return Searched;
}
