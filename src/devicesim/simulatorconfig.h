#pragma once

#include "commandline/usage.h"

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

// The configuration the arguments (argv[0] first) ask for, or how the command line ends the
// program: help, version or bad usage.
std::variant<SimulatorConfig, CommandLineEnd> parseSimulatorArguments(const QStringList &arguments);
