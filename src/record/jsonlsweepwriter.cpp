#include "record/jsonlsweepwriter.h"

#include "record/sweepjson.h"

bool JsonlSweepWriter::writeSweep(const SweepRecord &sweep)
{
    return writeLine(record::sweepJson(sweep) + '\n');
}
