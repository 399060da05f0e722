#include "findmodes.h"
#include "report.h"
#include "terminal.h"

int compareOnce(SearchRounds &rounds, const ExpectedList &expected, OutputFormat format)
{
    const SearchRounds::Round round = rounds.search(stopSignalled);
    tell(round.notes);
    if (round.found) {
        const Comparison comparison = compared(*round.found, expected);
        show(comparisonReport(round.found->header, comparison.rows), format);
        tell({comparisonSummary(comparison)});
        if (!rounds.anyFailed() && !allAsExpected(comparison))
            return NotAsExpected;
    }
    return rounds.anyFailed() ? SearchFailed : Searched;
}
