#include "engine/record/jsonlsweepwriter.h"

#include "engine/record/sweepjson.h"

bool JsonlSweepWriter::writeSweep(const SweepRecord &sweep)
{
    return writeLine(record::sweepJson(sweep) + '\n');
}
