#include "testbed.h"

#include <QDeadlineTimer>

namespace testbed {

QString hostNamespace(const QString &host)
{
    return qEnvironmentVariable("ORVANE_TESTBED") + QLatin1Char('-') + host;
}

bool runOn(const QString &host, const QStringList &command)
{
    return QProcess::execute("ip", QStringList{"netns", "exec", hostNamespace(host)} + command) ==
           0;
}

} // namespace testbed

SimulatedDevice::SimulatedDevice(const QString &host, const QStringList &arguments)
{
    process_.start("ip", QStringList{"netns", "exec", testbed::hostNamespace(host),
                                     QStringLiteral(ORVANE_DEVICE_SIM)} +
                             arguments);
}

SimulatedDevice::~SimulatedDevice()
{
    process_.terminate();
    if (!process_.waitForFinished(3000))
        process_.kill();
    process_.waitForFinished(3000);
}

void SimulatedDevice::readOutput()
{
    pending_ += QString::fromUtf8(process_.readAllStandardOutput());
    const int end = pending_.lastIndexOf(QLatin1Char('\n'));
    if (end < 0)
        return;
    lines_ += pending_.left(end).split(QLatin1Char('\n'));
    pending_.remove(0, end + 1);
}

bool SimulatedDevice::waitUntilListening()
{
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        readOutput();
        for (const QString &line : qAsConst(lines_)) {
            if (line.startsWith(QLatin1String("listening on ")))
                return true;
        }
        if (process_.state() == QProcess::NotRunning)
            return false;
        process_.waitForReadyRead(100);
    }
    return false;
}

QStringList SimulatedDevice::linesStartingWith(const QString &prefix)
{
    process_.waitForReadyRead(0);
    readOutput();
    QStringList matching;
    for (const QString &line : qAsConst(lines_)) {
        if (line.startsWith(prefix))
            matching << line;
    }
    return matching;
}

QString SimulatedDevice::errors()
{
    return QString::fromUtf8(process_.readAllStandardError());
}
