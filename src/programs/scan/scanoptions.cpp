#include "programs/scan/scanoptions.h"
#include "core/channelplan.h"
#include "core/grammar.h"
#include "core/optiontable.h"
#include "engine/record/receiveridentity.h"
#include "engine/record/recordlines.h"

#include <QRegularExpression>

#include <limits>

namespace scanoptions {

namespace {

using grammar::Zero;
using optiontable::refusal;

// A year is more than any survey; beyond it the timers would overflow.
constexpr std::chrono::milliseconds kLongestSurvey = std::chrono::hours(366 * 24);
// One timer leg: a module silent for a day has stopped answering by any measure.
constexpr std::chrono::hours kLongestStall{24};
constexpr qint64 kMsPerSecond = 1000;

const QString kExitCodes = QStringLiteral(
    "Records the RSSI of a KVT-318 module's 40 channels until a limit is reached or it is\n"
    "interrupted (SIGINT, SIGTERM), then prints per-channel statistics on standard error.\n"
    "SIGHUP (logrotate's postrotate) closes the output and alarm log and opens them again at\n"
    "their names: a file moved away is left complete, a new one starts with its header.\n"
    "PORT is a port name as the monitor window takes it: COM3, /dev/ttyUSB0.\n"
    "The receiver's name (--name; by default the USB serial number of the port's adapter, else\n"
    "the port's base name) is in every JSON Lines record, MQTT topic and payload, InfluxDB line,\n"
    "the metrics, the service status and, where a FILE has %r, the file name (%% is a %).\n"
    "With --reconnect, a PORT that is a link (/dev/serial/by-id/...) is read again at each\n"
    "reopen; a plain name that is gone is followed to the device with the USB ids and serial\n"
    "number it had when first opened. --list-ports shows the links of every port.\n"
    "With --replay FILE a recording (csv, long or jsonl, gzip too) takes the place of PORT:\n"
    "its sweeps go to the summary, image, MQTT and, with -o or --format, the records.\n"
    "\n"
    "Exit status:\n"
    "  0  finished: a limit was reached, or it was interrupted; a replay was read\n"
    "  1  the output, summary, image, report or alarm log file could not be written, or rows\n"
    "     still queued at the end could not be written within 2 s\n"
    "  2  bad usage\n"
    "  3  the port cannot be opened (no such device, in use, no permission), or the replayed\n"
    "     or baseline file cannot be opened\n"
    "  4  no supported module answered; the replayed or baseline file is not a recording\n"
    "  5  the port failed or the module stopped answering (without --reconnect)\n"
    "  6  the MQTT broker refused the connection at the start (login or TLS)\n"
    "  7  the --metrics address cannot be listened on (in use, no permission)\n"
    "  8  --plan N: N channels cannot meet the constraints (the largest plan that can is\n"
    "     shown)\n"
    "  9  --report: no sweep to report, or none inside --from, --to and --hours (no file is\n"
    "     written)");

// "csv, long, jsonl, rtl_power or influx", from the table of formats, with the help's notes
// when asked for: which is the default, and what a name stands for.
QString formatList(bool withNotes)
{
    const std::vector<RecordFormatEntry> &formats = record::formats();
    QStringList names;
    for (const RecordFormatEntry &format : formats) {
        QString name = format.name;
        if (withNotes && &format == &formats.front()) {
            name += QStringLiteral(" (default)");
        } else if (withNotes && !format.fullName.isEmpty()) {
            name += QStringLiteral(" (%1)").arg(format.fullName);
        }
        names.append(name);
    }
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// An option of one format's own needs that format: the format table says which.
QList<OptionCondition> formatOwning(const QString &option)
{
    for (const RecordFormatEntry &format : record::formats()) {
        if (format.options.contains(option)) {
            return {{QStringLiteral("format"), format.name}};
        }
    }
    return {};
}

const OptionCondition kReplay{QStringLiteral("replay")};
const OptionCondition kPortOnly{
    QStringLiteral("replay"), {}, QStringLiteral("--%1 is for a port, not --replay")};

QString readFormat(const QStringList &values, ScanOptions &options)
{
    const auto format = record::formatFromName(values.constLast());
    if (!format) {
        return QStringLiteral("unknown format '%1': use %2")
            .arg(values.constLast(), formatList(false));
    }
    options.format = *format;
    return {};
}

QString readIntegrate(const QStringList &values, ScanOptions &options)
{
    const auto integrate = grammar::readDuration(values.constLast(), Zero::Refused, kLongestSurvey);
    // rtl_power's times have whole seconds, so must its intervals.
    if (!integrate || integrate->count() % kMsPerSecond != 0) {
        return refusal(QStringLiteral("integrate"),
                       QStringLiteral("whole seconds such as 1s, 10s or 15m"), values.constLast());
    }
    options.integrate = std::chrono::duration_cast<std::chrono::seconds>(*integrate);
    return {};
}

QString readInfluxTags(const QStringList &values, ScanOptions &options)
{
    for (const QString &tag : values) {
        const qsizetype equals = tag.indexOf(QLatin1Char('='));
        const QString key = tag.left(equals);
        const QString value = equals < 0 ? QString() : tag.mid(equals + 1);
        if (const auto problem = influx::tagProblem(key, value)) {
            return QStringLiteral("--influx-tag '%1': %2").arg(tag, *problem);
        }
        options.influxTags.append({key, value});
    }
    return {};
}

QString readSampleCount(const QStringList &values, ScanOptions &options)
{
    static const QRegularExpression kCount(QStringLiteral("^[0-9]{1,3}$"));
    options.sampleCount = values.constLast();
    if (!kCount.match(options.sampleCount).hasMatch() || options.sampleCount.toInt() == 0) {
        return refusal(QStringLiteral("sample-count"), QStringLiteral("1 to 3 digits above 0"),
                       options.sampleCount);
    }
    return {};
}

QString readStallTimeout(const QStringList &values, ScanOptions &options)
{
    const auto stall = grammar::readDuration(values.constLast(), Zero::Allowed, kLongestStall);
    if (!stall) {
        return refusal(QStringLiteral("stall-timeout"),
                       QStringLiteral("a length up to 24h such as 30s or 2m, or 0"),
                       values.constLast());
    }
    // 0: wait forever.
    options.stallTimeout = stall->count() > 0 ? stall : std::nullopt;
    return {};
}

QString readTime(const QStringList &values, QString &time)
{
    time = values.constLast();
    // Checked against a day now; the day of the recording is known only once it is read.
    if (!time.isEmpty() && !parseTime(time, 0)) {
        return QStringLiteral("'%1' is no time: use ISO 8601 or HH:MM").arg(time);
    }
    return {};
}

QString readRotate(const QStringList &values, ScanOptions &options)
{
    options.files.rotate = grammar::readDuration(values.constLast(), Zero::Refused, kLongestSurvey);
    // A file name holds the start to the second.
    if (!options.files.rotate || options.files.rotate->count() % kMsPerSecond != 0) {
        return refusal(QStringLiteral("rotate"),
                       QStringLiteral("whole seconds such as 1d, 1h, 15m or 10s"),
                       values.constLast());
    }
    return {};
}

QString readName(const QStringList &values, ScanOptions &options)
{
    options.receiverName = values.constLast();
    if (const auto problem = receivername::problem(options.receiverName)) {
        return QStringLiteral("--name '%1': %2").arg(options.receiverName, *problem);
    }
    return {};
}

// The options of a run, in the order of the help.
QList<OptionRow> runRows(ScanOptions &options)
{
    QList<OptionRow> rows;
    rows.append({{QStringLiteral("name")},
                 QStringLiteral("NAME"),
                 QStringLiteral("The receiver's name: letters, digits, -, _ and . (default: the "
                                "adapter's USB serial number, else the port's base name; in a "
                                "replay, the recording's)."),
                 {},
                 [&options](const QStringList &values) { return readName(values, options); }});
    rows.append({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("FILE"),
                 QStringLiteral("Write the records to FILE, appending; - is standard output "
                                "(default)."),
                 QStringLiteral("-"),
                 [&options](const QStringList &values) {
                     options.output = values.constLast();
                     return QString();
                 }});
    rows.append({{QStringLiteral("format")},
                 QStringLiteral("FORMAT"),
                 QStringLiteral("Record format: %1.").arg(formatList(true)),
                 record::formats().front().name,
                 [&options](const QStringList &values) { return readFormat(values, options); }});
    rows.append({{QStringLiteral("integrate")},
                 QStringLiteral("D"),
                 QStringLiteral("With --format rtl_power: one row per D, each level the mean "
                                "power in it (default 1s)."),
                 QStringLiteral("1s"),
                 [&options](const QStringList &values) { return readIntegrate(values, options); },
                 formatOwning(QStringLiteral("integrate"))});
    rows.append({{QStringLiteral("influx-tag")},
                 QStringLiteral("KEY=VALUE"),
                 QStringLiteral("With --format influx: add the tag KEY=VALUE to every line "
                                "(repeatable)."),
                 {},
                 [&options](const QStringList &values) { return readInfluxTags(values, options); },
                 formatOwning(QStringLiteral("influx-tag"))});
    rows.append({{QStringLiteral("n"), QStringLiteral("sweeps")},
                 QStringLiteral("N"),
                 QStringLiteral("Stop after N complete sweeps (with --channel, N readings)."),
                 {},
                 [&options](const QStringList &values) {
                     options.sweeps = grammar::readInteger(values.constLast(), 1,
                                                           std::numeric_limits<qint64>::max());
                     return options.sweeps ? QString()
                                           : refusal(QStringLiteral("sweeps"),
                                                     QStringLiteral("a whole number above 0"),
                                                     values.constLast());
                 }});
    rows.append({{QStringLiteral("t"), QStringLiteral("duration")},
                 QStringLiteral("D"),
                 QStringLiteral("Stop after D: 90s, 15m, 2h; a bare number is seconds."),
                 {},
                 [&options](const QStringList &values) {
                     options.duration =
                         grammar::readDuration(values.constLast(), Zero::Refused, kLongestSurvey);
                     return options.duration
                                ? QString()
                                : refusal(QStringLiteral("duration"),
                                          QStringLiteral("a length such as 90s, 15m or 2h"),
                                          values.constLast());
                 },
                 {},
                 {kPortOnly}});
    rows.append({{QStringLiteral("channel")},
                 QStringLiteral("CH"),
                 QStringLiteral("Measure channel CH (7-46) only, one record per reading in the "
                                "long format."),
                 {},
                 [&options](const QStringList &values) {
                     const auto channel = grammar::readInteger(
                         values.constLast(), channelplan::kFirstChannel, channelplan::kLastChannel);
                     if (!channel) {
                         return refusal(QStringLiteral("channel"),
                                        QStringLiteral("a channel number from 7 to 46"),
                                        values.constLast());
                     }
                     options.channel = static_cast<int>(*channel);
                     return QString();
                 },
                 {},
                 {kPortOnly,
                  {QStringLiteral("format"), QStringLiteral("rtl_power"),
                   QStringLiteral("rtl_power rows hold whole sweeps; --%1 records one channel")}}});
    rows.append({{QStringLiteral("sample-count")},
                 QStringLiteral("NN"),
                 QStringLiteral("Air Monitor sample count sent with every @AM (default 08)."),
                 QStringLiteral("08"),
                 [&options](const QStringList &values) { return readSampleCount(values, options); },
                 {},
                 {kPortOnly}});
    rows.append({{QStringLiteral("threshold")},
                 QStringLiteral("DBM|noise+DB"),
                 QStringLiteral("Occupancy threshold: a level in dBm (default -100), or noise+DB, "
                                "DB above each channel's noise floor (the median of its last ten "
                                "minutes)."),
                 QStringLiteral("-100"),
                 [&options](const QStringList &values) {
                     QString what;
                     const auto threshold = OccupancyThreshold::parse(values.constLast(), &what);
                     if (!threshold) {
                         return refusal(QStringLiteral("threshold"), what, values.constLast());
                     }
                     options.threshold = *threshold;
                     return QString();
                 }});
    rows.append({{QStringLiteral("hours")},
                 QStringLiteral("WINDOWS"),
                 QStringLiteral("Count only readings inside these local-time windows, ; between "
                                "them: \"Mon-Fri 08:00-18:00; Sat,Sun 00:00-24:00\". An end before "
                                "the start crosses midnight. The zone is the machine's or TZ."),
                 {},
                 [&options](const QStringList &values) {
                     QString error;
                     const auto hours = HourWindows::parse(values.constLast(), &error);
                     if (!hours) {
                         return QStringLiteral("--hours: ") + error;
                     }
                     options.hours = *hours;
                     return QString();
                 }});
    rows.append({{QStringLiteral("summary")},
                 QStringLiteral("FILE"),
                 QStringLiteral("At the end, write the per-channel statistics to FILE as CSV."),
                 {},
                 [&options](const QStringList &values) {
                     options.summaryPath = values.constLast();
                     return QString();
                 }});
    rows.append({{QStringLiteral("hourly")},
                 QStringLiteral("FILE"),
                 QStringLiteral("At the end, write each channel's occupancy per local hour of the "
                                "day, weekdays and weekends apart, to FILE as CSV."),
                 {},
                 [&options](const QStringList &values) {
                     options.hourlyPath = values.constLast();
                     return QString();
                 }});
    rows.append({{QStringLiteral("trace")},
                 QStringLiteral("FILE"),
                 QStringLiteral("At the end, write the frequency-planning trace (MHz,dBm per "
                                "channel) to FILE."),
                 {},
                 [&options](const QStringList &values) {
                     options.tracePath = values.constLast();
                     return QString();
                 }});
    rows.append({{QStringLiteral("trace-level")},
                 QStringLiteral("LEVEL"),
                 QStringLiteral("The trace's level: max (default), mean, median or p90."),
                 QStringLiteral("max"),
                 [&options](const QStringList &values) {
                     const auto level = record::traceLevelFromName(values.constLast());
                     if (!level) {
                         return QStringLiteral("unknown trace level '%1': use max, mean, median "
                                               "or p90")
                             .arg(values.constLast());
                     }
                     options.traceLevel = *level;
                     return QString();
                 }});
    rows.append({{QStringLiteral("metrics")},
                 QStringLiteral("[ADDR:]PORT"),
                 QStringLiteral("Serve Prometheus metrics at http://[ADDR:]PORT/metrics; a bare "
                                "PORT is the loopback address's."),
                 {},
                 [&options](const QStringList &values) {
                     options.metrics = MetricsAddress::parse(values.constLast());
                     return options.metrics
                                ? QString()
                                : refusal(QStringLiteral("metrics"),
                                          QStringLiteral("PORT or ADDRESS:PORT with an IP address"),
                                          values.constLast());
                 }});
    rows.append({{QStringLiteral("png")},
                 QStringLiteral("FILE"),
                 QStringLiteral("At the end, draw the chart into FILE (PNG)."),
                 {},
                 [&options](const QStringList &values) {
                     options.pngPath = values.constLast();
                     return QString();
                 }});
    rows.append(
        {{QStringLiteral("report")},
         QStringLiteral("FILE"),
         QStringLiteral("At the end, write the survey report to FILE (PDF, A4): what was "
                        "measured, the waterfall, occupancy, the channels, the plan and the "
                        "alarms."),
         {},
         [&options](const QStringList &values) {
             options.reportPath = values.constLast();
             return QString();
         }});
    rows.append({{QStringLiteral("reconnect")},
                 {},
                 QStringLiteral("When the port fails, reopen it once a second and go on."),
                 {},
                 [&options](const QStringList &) {
                     options.reconnect = true;
                     return QString();
                 },
                 {},
                 {kPortOnly}});
    rows.append(
        {{QStringLiteral("stall-timeout")},
         QStringLiteral("D"),
         QStringLiteral("Treat a module that sends no reading for D as a failed port "
                        "(default 30s; 0: wait forever)."),
         QStringLiteral("30s"),
         [&options](const QStringList &values) { return readStallTimeout(values, options); },
         {},
         {kPortOnly}});
    rows.append({{QStringLiteral("q"), QStringLiteral("quiet")},
                 {},
                 QStringLiteral("No progress line and no statistics table; on standard error only "
                                "errors and warnings."),
                 {},
                 [&options](const QStringList &) {
                     options.quiet = true;
                     return QString();
                 }});
    return rows;
}

// A recording in place of the port.
QList<OptionRow> replayRows(ScanOptions &options)
{
    QList<OptionRow> rows;
    rows.append({{QStringLiteral("replay")},
                 QStringLiteral("FILE"),
                 QStringLiteral("Read the sweeps of recording FILE instead of a port, as fast as "
                                "the disk allows."),
                 {},
                 [&options](const QStringList &values) {
                     options.replayPath = values.constLast();
                     return QString();
                 }});
    rows.append({{QStringLiteral("realtime")},
                 {},
                 QStringLiteral("With --replay: pace the sweeps at their recorded times."),
                 {},
                 [&options](const QStringList &) {
                     options.realtime = true;
                     return QString();
                 },
                 {kReplay}});
    rows.append({{QStringLiteral("from")},
                 QStringLiteral("TIME"),
                 QStringLiteral("With --replay: start at TIME (ISO 8601, or HH:MM UTC on the "
                                "first day), included."),
                 {},
                 [&options](const QStringList &values) { return readTime(values, options.from); },
                 {kReplay}});
    rows.append({{QStringLiteral("to")},
                 QStringLiteral("TIME"),
                 QStringLiteral("With --replay: end at TIME, included."),
                 {},
                 [&options](const QStringList &values) { return readTime(values, options.to); },
                 {kReplay}});
    rows.append({{QStringLiteral("baseline")},
                 QStringLiteral("FILE"),
                 QStringLiteral("With --replay: add the occupancy and mean of FILE (a recording "
                                "or a --summary CSV) and the differences to the summary."),
                 {},
                 [&options](const QStringList &values) {
                     options.baselinePath = values.constLast();
                     return QString();
                 },
                 {kReplay}});
    return rows;
}

QList<OptionRow> actionRows()
{
    OptionRow help{{QStringLiteral("h"), QStringLiteral("help")},
                   {},
                   QStringLiteral("Show this help and exit.")};
    OptionRow version{
        {QStringLiteral("version")}, {}, QStringLiteral("Show the version and exit.")};
    OptionRow listPorts{{QStringLiteral("list-ports")},
                        {},
                        QStringLiteral("List the serial ports with their stable names "
                                       "(/dev/serial/by-id, by-path), description and USB ids, "
                                       "and exit.")};
    QList<OptionRow> rows{help, version, listPorts};
    for (OptionRow &row : rows) {
        row.action = true;
    }
    return rows;
}

// Rotation, retention and the free-space floor of the output.
QList<OptionRow> fileRows(ScanOptions &options)
{
    QList<OptionRow> rows;
    rows.append({{QStringLiteral("rotate")},
                 QStringLiteral("D"),
                 QStringLiteral("Start a new output file at each UTC multiple of D since midnight "
                                "(1d, 1h, 15m, 10s), its start before the extension: "
                                "survey-20261207T1400.csv."),
                 {},
                 [&options](const QStringList &values) { return readRotate(values, options); },
                 {},
                 {{QStringLiteral("output"), QStringLiteral("-"),
                   QStringLiteral("--%1 needs an output file (-o FILE), not standard output")}}});
    rows.append({{QStringLiteral("keep")},
                 QStringLiteral("N"),
                 QStringLiteral("With --rotate: keep the newest N rotated files of the output, "
                                "the one written included; delete older ones."),
                 {},
                 [&options](const QStringList &values) {
                     const auto keep = grammar::readInteger(values.constLast(), 1,
                                                            std::numeric_limits<int>::max());
                     if (!keep) {
                         return refusal(QStringLiteral("keep"),
                                        QStringLiteral("a whole number above 0"),
                                        values.constLast());
                     }
                     options.files.keep = static_cast<int>(*keep);
                     return QString();
                 },
                 {{QStringLiteral("rotate")}}});
    rows.append({{QStringLiteral("min-free")},
                 QStringLiteral("SIZE"),
                 QStringLiteral("Pause writing the output and alarm log while their file system "
                                "has less than SIZE free, dropping rows (K, M, G; default 100M; "
                                "0: off)."),
                 QStringLiteral("100M"),
                 [&options](const QStringList &values) {
                     const auto minFree = grammar::readSize(values.constLast());
                     if (!minFree) {
                         return refusal(QStringLiteral("min-free"),
                                        QStringLiteral("a size such as 100M, 2G or 0"),
                                        values.constLast());
                     }
                     options.files.minFreeBytes = *minFree;
                     return QString();
                 }});
    return rows;
}

// The port, or nothing in its place with --replay.
QString readSource(const QStringList &positional, ScanOptions &options)
{
    if (!options.replayPath.isEmpty()) {
        if (!positional.isEmpty()) {
            return QStringLiteral("--replay takes the place of PORT, not '%1'")
                .arg(positional.join(QLatin1Char(' ')));
        }
    } else if (positional.size() != 1) {
        return positional.isEmpty() ? QStringLiteral("no PORT given")
                                    : QStringLiteral("one PORT only, not '%1'")
                                          .arg(positional.join(QLatin1Char(' ')));
    } else {
        options.port = positional.first();
    }
    return {};
}

} // namespace

Parsed parse(const QStringList &arguments)
{
    Parsed parsed;
    ScanOptions &options = parsed.options;
    OptionTable table(kExitCodes);
    table.add(runRows(options));
    table.add(replayRows(options));
    table.add(actionRows());
    table.add(fileRows(options));
    table.add(mqttoptions::rows(options.mqtt));
    table.add(alarmoptions::rows(options.alarms));
    table.add(planoptions::rows(options.plan));
    table.addPositional(QStringLiteral("PORT"), QStringLiteral("The serial port of the module."));

    parsed.text = table.parse(arguments);
    if (!parsed.text.isEmpty()) {
        return parsed;
    }
    const QString action = table.action();
    if (action == QLatin1String("help")) {
        parsed.action = Action::Help;
        // Parsed before the application exists, which is what names the program in the help.
        parsed.text = table.helpText().replace(QLatin1String("<executable_name>"),
                                               QLatin1String("kvt318-scan"));
        return parsed;
    }
    if (action == QLatin1String("version")) {
        parsed.action = Action::Version;
        parsed.text = QStringLiteral("kvt318-scan %1.%2.%3")
                          .arg(KVT_VERSION_MAJOR)
                          .arg(KVT_VERSION_MINOR)
                          .arg(KVT_VERSION_PATCH);
        return parsed;
    }
    if (action == QLatin1String("list-ports")) {
        parsed.action = Action::ListPorts;
        return parsed;
    }
    parsed.text = table.read();
    if (parsed.text.isEmpty()) {
        parsed.text = readSource(table.positional(), options);
    }
    options.recordsAsked =
        table.isGiven(QStringLiteral("output")) || table.isGiven(QStringLiteral("format"));
    if (parsed.text.isEmpty()) {
        parsed.action = Action::Run;
    }
    return parsed;
}

std::optional<qint64> parseTime(const QString &text, qint64 firstUtcMs)
{
    static const QRegularExpression kClock(
        QStringLiteral("^([01][0-9]|2[0-3]):([0-5][0-9])(?::([0-5][0-9]))?$"));
    if (const QRegularExpressionMatch clock = kClock.match(text); clock.hasMatch()) {
        constexpr qint64 kMsPerDay = 24 * 3600 * 1000;
        const qint64 day = firstUtcMs - firstUtcMs % kMsPerDay;
        return day + ((clock.captured(1).toLongLong() * 60 + clock.captured(2).toLongLong()) * 60 +
                      clock.captured(3).toLongLong()) *
                         1000;
    }
    QByteArray iso = text.toLatin1();
    // Seconds may be left out: 2026-12-07T02:00.
    constexpr qsizetype kMinutesEnd = 16;
    if (iso.size() >= kMinutesEnd && (iso.size() == kMinutesEnd || iso[kMinutesEnd] != ':')) {
        iso.insert(kMinutesEnd, ":00");
    }
    return recordlines::readTime(std::string_view(iso.constData(), std::size_t(iso.size())));
}

} // namespace scanoptions
