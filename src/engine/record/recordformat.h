#pragma once

#include "engine/record/influxlinewriter.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QIODevice;
class RecordSink;

enum class RecordFormat { Csv, Long, Jsonl, RtlPower, Influx };

// What the formats beyond the plain ones need to know.
struct WriterSettings
{
    // rtl_power: the length of a row's interval.
    std::chrono::seconds integrate{1};
    // InfluxDB: the port tag ("ttyUSB0", none when empty) and the tags added after the channel.
    QString port;
    InfluxTags influxTags;
};

namespace record {

// "csv", "long", "jsonl", "rtl_power" or "influx".
std::optional<RecordFormat> formatFromName(const QString &name);
// A writer of the format on an open device; the device must outlive it.
std::unique_ptr<RecordSink> makeWriter(RecordFormat format, QIODevice &device,
                                       const WriterSettings &settings = {});
// Formats with a row per reading rather than per sweep.
bool takesReadings(RecordFormat format);

} // namespace record
