#include "tablewriter.h"

#include "alignedtablewriter.h"
#include "csvwriter.h"
#include "jsonwriter.h"
#include "tsvwriter.h"

std::unique_ptr<TableWriter> TableWriter::forFormat(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Table:
        return std::make_unique<AlignedTableWriter>();
    case OutputFormat::Csv:
        return std::make_unique<CsvWriter>();
    case OutputFormat::Json:
        return std::make_unique<JsonWriter>();
    case OutputFormat::Tsv:
        break;
    }
    return std::make_unique<TsvWriter>();
}
