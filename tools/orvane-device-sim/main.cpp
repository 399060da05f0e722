#include "commandline/output.h"
#include "devicesim/devicesimulator.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName("orvane-device-sim");
    QCoreApplication::setApplicationVersion(ORVANE_VERSION);
    const auto parsed = parseSimulatorArguments(QCoreApplication::arguments());
    if (const auto *end = std::get_if<CommandLineEnd>(&parsed))
        return finish(*end);

    const SimulatorConfig &config = std::get<SimulatorConfig>(parsed);
    DeviceSimulator simulator(config);
    QObject::connect(&simulator, &DeviceSimulator::reported,
                     [](const QString &line) { printLine(stdout, line); });
    QObject::connect(&simulator, &DeviceSimulator::complained,
                     [](const QString &line) { printLine(stderr, line); });
    QObject::connect(&simulator, &DeviceSimulator::finished, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!simulator.start()) {
        printLine(stderr, QStringLiteral("orvane-device-sim: cannot listen on %1:%2: %3")
                              .arg(config.listenAddress.toString())
                              .arg(config.port)
                              .arg(simulator.errorString()));
        return 1;
    }
    printLine(stdout, QStringLiteral("listening on %1").arg(simulator.listeningOn()));
    return application.exec();
}
