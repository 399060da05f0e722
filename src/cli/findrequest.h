#pragma once

#include "discovery/protocol.h"

#include <QString>
#include <optional>

enum class OutputFormat { Table, Csv, Json, Tsv };

// What one run of orvane-find is asked to do.
struct FindRequest {
    enum class Action { Search, ListInterfaces, ShowHelp, ShowVersion };

    Action action = Action::Search;
    std::optional<QString> interface; // description, name or IPv4 address
    bool allInterfaces = false;
    // Unset: chosen by whether standard output is a terminal.
    std::optional<OutputFormat> format;
    int quietTimeMs = discovery::QuietTimeMs;
};

// A command line that cannot run as given; the text says why.
struct UsageError {
    QString message;
};
