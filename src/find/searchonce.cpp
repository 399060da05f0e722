#include "findmodes.h"
#include "report.h"

int searchOnce(SearchRounds &rounds, OutputFormat format)
{
    const SearchRounds::Round round = rounds.search([] { return false; });
    tell(round.notes);
    if (round.found)
        show(*round.found, format);
    return rounds.anyFailed() ? SearchFailed : Searched;
}
