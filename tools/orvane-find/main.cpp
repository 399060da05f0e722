#include "cli/findtool.h"
#include "cli/standardstreams.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    StandardStreams streams;
    const FindTool tool(&queryAdapters, streams.outputIsTerminal());
    return tool.run(QCoreApplication::arguments(), streams.output(), streams.errors());
}
