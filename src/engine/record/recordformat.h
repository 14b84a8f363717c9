#pragma once

#include "engine/record/influxtags.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class RecordEncoder;

enum class RecordFormat { Csv, Long, Jsonl, RtlPower, Influx };

// What the formats beyond the plain ones need to know.
struct WriterSettings
{
    // rtl_power: the length of a row's interval.
    std::chrono::seconds integrate{1};
    // InfluxDB: the port tag ("ttyUSB0", none when empty) and the tags added after the channel.
    QString port;
    // JSON Lines' receiver field and InfluxDB's receiver tag; none when empty.
    QString receiver;
    InfluxTags influxTags;
};

// One record format: everything the programs, their help and their files need to know of it.
struct RecordFormatEntry
{
    RecordFormat format = RecordFormat::Csv;
    // As --format takes it.
    QString name;
    // What the name stands for, where it is not plain; the help adds it to the name.
    QString fullName;
    // One line for the help.
    QString help;
    // A row per reading rather than per complete sweep.
    bool takesReadings = false;
    // The options that only this format takes, as the command-line parser names them.
    QStringList options;
    std::unique_ptr<RecordEncoder> (*makeEncoder)(const WriterSettings &settings) = nullptr;
};

namespace record {

// Every format, in the order the help lists them; the first is the default.
const std::vector<RecordFormatEntry> &formats();
const RecordFormatEntry &formatEntry(RecordFormat format);
// "csv", "long", "jsonl", "rtl_power" or "influx".
std::optional<RecordFormat> formatFromName(const QString &name);
bool takesReadings(RecordFormat format);

} // namespace record
