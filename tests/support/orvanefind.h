#pragma once

#include <QString>
#include <QStringList>

// What a run of the built orvane-find gave.
struct OrvaneFindRun {
    int status; // -1 when it did not end normally
    QString output;
    QString errors;
    qint64 elapsedMs;
};

// Runs the built orvane-find with these arguments, in this process's network namespace,
// and waits for it to end.
OrvaneFindRun runOrvaneFind(const QStringList &arguments);
