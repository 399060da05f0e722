#include "findmodes.h"
#include "report.h"
#include "terminal.h"

int searchOnce(SearchRounds &rounds, OutputFormat format)
{
    const SearchRounds::Round round = rounds.search(stopSignalled);
    tell(round.notes);
    if (round.found)
        show(*round.found, format);
    return rounds.anyFailed() ? SearchFailed : Searched;
}
