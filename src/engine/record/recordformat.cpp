#include "engine/record/recordformat.h"

#include "engine/record/csvencoder.h"
#include "engine/record/influxencoder.h"
#include "engine/record/jsonlencoder.h"
#include "engine/record/longencoder.h"
#include "engine/record/rtlpowerencoder.h"

#include <algorithm>

namespace {

template <typename Encoder> std::unique_ptr<RecordEncoder> makePlain(const WriterSettings &)
{
    return std::make_unique<Encoder>();
}

std::unique_ptr<RecordEncoder> makeRtlPower(const WriterSettings &settings)
{
    return std::make_unique<RtlPowerEncoder>(settings.integrate);
}

std::unique_ptr<RecordEncoder> makeJsonl(const WriterSettings &settings)
{
    return std::make_unique<JsonlEncoder>(settings.receiver);
}

std::unique_ptr<RecordEncoder> makeInflux(const WriterSettings &settings)
{
    return std::make_unique<InfluxEncoder>(settings.port, settings.influxTags, settings.receiver);
}

} // namespace

namespace record {

const std::vector<RecordFormatEntry> &formats()
{
    static const std::vector<RecordFormatEntry> table{
        {RecordFormat::Csv,
         QStringLiteral("csv"),
         {},
         QStringLiteral("a header, then one row per sweep: time,sweep,ch7,...,ch46"),
         false,
         {},
         &makePlain<CsvEncoder>},
        {RecordFormat::Long,
         QStringLiteral("long"),
         {},
         QStringLiteral("a header, then one row per reading: time,channel,mhz,dbm"),
         true,
         {},
         &makePlain<LongEncoder>},
        {RecordFormat::Jsonl,
         QStringLiteral("jsonl"),
         {},
         QStringLiteral("one JSON object per sweep with time, receiver, sweep, mode and dbm"),
         false,
         {},
         &makeJsonl},
        {RecordFormat::RtlPower,
         QStringLiteral("rtl_power"),
         {},
         QStringLiteral("the CSV of rtl_power, one row per --integrate interval"),
         false,
         {QStringLiteral("integrate")},
         &makeRtlPower},
        {RecordFormat::Influx,
         QStringLiteral("influx"),
         QStringLiteral("InfluxDB line protocol"),
         QStringLiteral("InfluxDB line protocol, one line per reading"),
         true,
         {QStringLiteral("influx-tag")},
         &makeInflux},
    };
    return table;
}

const RecordFormatEntry &formatEntry(RecordFormat format)
{
    const std::vector<RecordFormatEntry> &table = formats();
    return *std::find_if(table.begin(), table.end(), [format](const RecordFormatEntry &entry) {
        return entry.format == format;
    });
}

std::optional<RecordFormat> formatFromName(const QString &name)
{
    const std::vector<RecordFormatEntry> &table = formats();
    const auto entry = std::find_if(table.begin(), table.end(),
                                    [&name](const RecordFormatEntry &e) { return e.name == name; });
    return entry == table.end() ? std::nullopt : std::optional(entry->format);
}

bool takesReadings(RecordFormat format)
{
    return formatEntry(format).takesReadings;
}

} // namespace record
