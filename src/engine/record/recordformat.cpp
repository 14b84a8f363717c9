#include "engine/record/recordformat.h"

#include "engine/record/csvsweepwriter.h"
#include "engine/record/jsonlsweepwriter.h"
#include "engine/record/longreadingwriter.h"

namespace record {

std::optional<RecordFormat> formatFromName(const QString &name)
{
    if (name == QLatin1String("csv")) {
        return RecordFormat::Csv;
    }
    if (name == QLatin1String("long")) {
        return RecordFormat::Long;
    }
    if (name == QLatin1String("jsonl")) {
        return RecordFormat::Jsonl;
    }
    return std::nullopt;
}

std::unique_ptr<RecordSink> makeWriter(RecordFormat format, QIODevice &device)
{
    switch (format) {
    case RecordFormat::Long:
        return std::make_unique<LongReadingWriter>(device);
    case RecordFormat::Jsonl:
        return std::make_unique<JsonlSweepWriter>(device);
    case RecordFormat::Csv:
        break;
    }
    return std::make_unique<CsvSweepWriter>(device);
}

} // namespace record
