#pragma once

#include "commandline/usage.h"
#include "formats.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

// A field --wait-for asks for: its column of a reply's fields, and the value it must have.
struct FieldMatch {
    int column;
    QString value;
};

// What orvane-find's command line asks for.
struct FindOptions {
    bool listInterfaces = false;
    std::optional<QString> interface;
    bool all = false;
    std::optional<OutputFormat> format; // unset: by whether standard output is a terminal
    int quietTimeMs = 0;
    QVector<FieldMatch> waitFor; // all must match
    int timeoutSeconds = 0;
    int watchSeconds = 0;               // 0: no watch
    std::vector<std::uint32_t> targets; // asked directly; none: a broadcast
    int requestsPerSecond = 0;          // the pace of the requests to the targets
    // The file of the devices expected, which the search is compared with.
    std::optional<QString> expectedList;
};

// The options the arguments (the program's name first) ask for, or how the command line ends
// the program: help, version or bad usage.
std::variant<FindOptions, CommandLineEnd> parseFindOptions(const QStringList &arguments);
