#include "engine/record/recordformat.h"

#include "engine/record/csvsweepwriter.h"
#include "engine/record/jsonlsweepwriter.h"
#include "engine/record/longreadingwriter.h"
#include "engine/record/rtlpowerwriter.h"

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
    if (name == QLatin1String("rtl_power")) {
        return RecordFormat::RtlPower;
    }
    if (name == QLatin1String("influx")) {
        return RecordFormat::Influx;
    }
    return std::nullopt;
}

std::unique_ptr<RecordSink> makeWriter(RecordFormat format, QIODevice &device,
                                       const WriterSettings &settings)
{
    switch (format) {
    case RecordFormat::RtlPower:
        return std::make_unique<RtlPowerWriter>(device, settings.integrate);
    case RecordFormat::Influx:
        return std::make_unique<InfluxLineWriter>(device, settings.port, settings.influxTags);
    case RecordFormat::Long:
        return std::make_unique<LongReadingWriter>(device);
    case RecordFormat::Jsonl:
        return std::make_unique<JsonlSweepWriter>(device);
    case RecordFormat::Csv:
        break;
    }
    return std::make_unique<CsvSweepWriter>(device);
}

bool takesReadings(RecordFormat format)
{
    return format == RecordFormat::Long || format == RecordFormat::Influx;
}

} // namespace record
