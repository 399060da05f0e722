#include "orvanefind.h"

#include <QElapsedTimer>
#include <QProcess>

OrvaneFindRun runOrvaneFind(const QStringList &arguments)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(ORVANE_FIND), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, {}, process.errorString(), clock.elapsed()};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()), clock.elapsed()};
}
