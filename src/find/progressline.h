#pragma once

#include "discovery/interfacesearch.h"

#include <QElapsedTimer>
#include <QString>

// While a sweep runs longer than a second, one line on standard error, written over as it
// goes, counts the requests sent and the devices heard; it is wiped when the sweep ends, before
// the rows. For a terminal only: in a file or a pipe it would be noise.
class ProgressLine {
public:
    void operator()(const SweepProgress &progress);

private:
    void write(const QString &text);

    QElapsedTimer sweeping_;
    qint64 lastShownMs_ = 0;
    int shownWidth_ = 0;
};
