#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// How a simulated device answers, as the command line asks for it.
struct SimulatorConfig {
    QHostAddress listenAddress = QHostAddress::AnyIPv4;
    quint16 port = 49999;
    // Empty fields are taken from the host when a request arrives.
    QString hostname;
    QString ip;
    QString netmask;
    QString mac;
    QString product = QStringLiteral("Orvane Device Simulator");
    QString serial = QStringLiteral("SIM000001");
    QString firmware = QStringLiteral("0.0.1");
    int devices = 1;
    int repeat = 1;
    int intervalMs = 0;
    int delayMs = 0;
    QList<QByteArray> rawPayloads; // sent instead of records when given
    int requests = 0;              // 0: answer until interrupted
};

// Parses the arguments (argv[0] first). On failure the message says what is wrong.
struct SimulatorCommandLine {
    enum class Action { Run, Help, Version, Error };

    static SimulatorCommandLine parse(const QStringList &arguments);

    Action action = Action::Error;
    SimulatorConfig config;
    QString message; // the help text, the version, or what is wrong
};
