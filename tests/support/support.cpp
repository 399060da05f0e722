#include "support.h"

#include <QDeadlineTimer>

Simulator::Simulator(const QStringList &arguments, const QString &host)
{
    if (host.isEmpty())
        process.start(ORVANE_DEVICE_SIM, arguments);
    else
        process.start("ip", QStringList{"netns", "exec",
                                        qEnvironmentVariable("ORVANE_TESTBED") + '-' + host,
                                        ORVANE_DEVICE_SIM} +
                                arguments);
    const QDeadlineTimer deadline(5000);
    while (!listening_ && process.waitForReadyRead(int(deadline.remainingTime())))
        listening_ = !lines("listening on ").isEmpty();
}

Simulator::~Simulator()
{
    process.kill();
    process.waitForFinished();
}

QStringList Simulator::lines(const QString &start)
{
    process.waitForReadyRead(0);
    output_ += QString::fromUtf8(process.readAllStandardOutput());
    return output_.split('\n').filter(QRegularExpression('^' + QRegularExpression::escape(start)));
}
