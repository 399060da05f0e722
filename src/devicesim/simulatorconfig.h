#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <variant>

// How a simulated device answers, as the command line asks for it.
struct SimulatorConfig {
    QHostAddress listenAddress;
    quint16 port;
    // Empty fields are taken from the host when a request arrives.
    QString hostname;
    QString ip;
    QString netmask;
    QString mac;
    QString product;
    QString serial;
    QString firmware;
    int devices;
    int repeat;
    int intervalMs;
    int delayMs;
    QList<QByteArray> rawPayloads; // sent instead of records when given
    int requests;                  // 0: answer until interrupted
    int ignored;                   // the first requests, left unanswered
};

// The configuration the arguments (argv[0] first) ask for, or what is wrong with
// them. Help and version end the program here, as the parser shows them.
std::variant<SimulatorConfig, QString> parseSimulatorArguments(const QStringList &arguments);
