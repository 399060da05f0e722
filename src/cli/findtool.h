#pragma once

#include "discovery/interfacelist.h"
#include "findrequest.h"

#include <QIODevice>
#include <QStringList>

// orvane-find from its arguments to its exit status, writing to the streams it is given.
class FindTool {
public:
    enum ExitStatus { Searched = 0, SearchFailed = 1, BadUsage = 2 };
    using AdapterQuery = std::optional<std::vector<Adapter>> (*)();

    // The format without --format depends on whether the output is a terminal.
    FindTool(AdapterQuery adapterQuery, bool outputIsTerminal);

    int run(const QStringList &arguments, QIODevice &output, QIODevice &errors) const;

private:
    int search(const FindRequest &request, const QVector<NetworkInterface> &listed,
               QIODevice &output, QIODevice &errors) const;

    AdapterQuery adapterQuery_;
    bool outputIsTerminal_;
};
