#pragma once

// What orvane-find does once its command line is read, one mode a file; each returns the exit
// status.

#include "discovery/expectedlist.h"
#include "discovery/interfacelist.h"
#include "discovery/searchrounds.h"
#include "formats.h"
#include "options.h"

// Bad usage: CommandLineEnd's 2, which a list that cannot serve shares.
enum ExitStatus { Searched = 0, SearchFailed = 1, ListRefused = 2, NotAsExpected = 3 };

// Each interface's description and address, as the columns Interface and IP-Address.
int listInterfaces(const QVector<NetworkInterface> &listed, OutputFormat format);

// One round, its rows as they came; Ctrl-C ends it early with what arrived.
int searchOnce(SearchRounds &rounds, OutputFormat format);

// One round compared with the devices expected: a row per answer, then one per expected device
// that did not answer, the summary last on standard error. NotAsExpected where anything differs,
// is missing or unexpected.
int compareOnce(SearchRounds &rounds, const ExpectedList &expected, OutputFormat format);

// Rounds at least a quiet time apart until a reply matches every field asked, or the time-out
// or Ctrl-C.
int waitFor(SearchRounds &rounds, const FindOptions &options, OutputFormat format);

// Rounds every so many seconds until Ctrl-C or SIGTERM, a line per change.
int watch(SearchRounds &rounds, const FindOptions &options, OutputFormat format);
