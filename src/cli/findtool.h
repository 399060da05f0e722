#pragma once

#include <QStringList>

// orvane-find from its arguments (the program's name first) to its exit status:
// 0 when the search ran, 1 when it failed, 2 for bad usage.
int runFindTool(const QStringList &arguments);
