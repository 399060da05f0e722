#include "cli/findtool.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("orvane-find");
    QCoreApplication::setApplicationVersion(ORVANE_VERSION);
    return runFindTool(QCoreApplication::arguments());
}
