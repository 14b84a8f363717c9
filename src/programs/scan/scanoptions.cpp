#include "programs/scan/scanoptions.h"
#include "core/channelplan.h"
#include "engine/record/recordlines.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

#include <cmath>
#include <limits>

namespace scanoptions {

namespace {

// One timer leg: a module silent for a day has stopped answering by any measure.
constexpr std::chrono::hours kLongestStall{24};

const QString kExitCodes = QStringLiteral(
    "Records the RSSI of a KVT-318 module's 40 channels until a limit is reached or it is\n"
    "interrupted (SIGINT, SIGTERM), then prints per-channel statistics on standard error.\n"
    "SIGHUP (logrotate's postrotate) closes the output and alarm log and opens them again at\n"
    "their names: a file moved away is left complete, a new one starts with its header.\n"
    "PORT is a port name as the monitor window takes it: COM3, /dev/ttyUSB0.\n"
    "With --reconnect, a PORT that is a link (/dev/serial/by-id/...) is read again at each\n"
    "reopen; a plain name that is gone is followed to the device with the USB ids and serial\n"
    "number it had when first opened. --list-ports shows the links of every port.\n"
    "With --replay FILE a recording (csv, long or jsonl, gzip too) takes the place of PORT:\n"
    "its sweeps go to the summary, image, MQTT and, with -o or --format, the records.\n"
    "\n"
    "Exit status:\n"
    "  0  finished: a limit was reached, or it was interrupted; a replay was read\n"
    "  1  the output, summary, image or alarm log file could not be written, or rows still\n"
    "     queued at the end could not be written within 2 s\n"
    "  2  bad usage\n"
    "  3  the port cannot be opened (no such device, in use, no permission), or the replayed\n"
    "     or baseline file cannot be opened\n"
    "  4  no supported module answered; the replayed or baseline file is not a recording\n"
    "  5  the port failed or the module stopped answering (without --reconnect)\n"
    "  6  the MQTT broker refused the connection at the start (login or TLS)\n"
    "  7  the --metrics address cannot be listened on (in use, no permission)");

struct Names
{
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("Write the records to FILE, appending; - is standard "
                                             "output (default)."),
                              QStringLiteral("FILE"),
                              QStringLiteral("-")};
    QCommandLineOption format{QStringLiteral("format"),
                              QStringLiteral("Record format: csv (default), long, jsonl, "
                                             "rtl_power or influx (InfluxDB line protocol)."),
                              QStringLiteral("FORMAT"), QStringLiteral("csv")};
    QCommandLineOption integrate{QStringLiteral("integrate"),
                                 QStringLiteral("With --format rtl_power: one row per D, each "
                                                "level the mean power in it (default 1s)."),
                                 QStringLiteral("D"), QStringLiteral("1s")};
    QCommandLineOption influxTag{QStringLiteral("influx-tag"),
                                 QStringLiteral("With --format influx: add the tag KEY=VALUE to "
                                                "every line (repeatable)."),
                                 QStringLiteral("KEY=VALUE")};
    QCommandLineOption sweeps{{QStringLiteral("n"), QStringLiteral("sweeps")},
                              QStringLiteral("Stop after N complete sweeps (with --channel, N "
                                             "readings)."),
                              QStringLiteral("N")};
    QCommandLineOption duration{{QStringLiteral("t"), QStringLiteral("duration")},
                                QStringLiteral("Stop after D: 90s, 15m, 2h; a bare number is "
                                               "seconds."),
                                QStringLiteral("D")};
    QCommandLineOption channel{QStringLiteral("channel"),
                               QStringLiteral("Measure channel CH (7-46) only, one record per "
                                              "reading in the long format."),
                               QStringLiteral("CH")};
    QCommandLineOption sampleCount{QStringLiteral("sample-count"),
                                   QStringLiteral("Air Monitor sample count sent with every @AM "
                                                  "(default 08)."),
                                   QStringLiteral("NN"), QStringLiteral("08")};
    QCommandLineOption threshold{QStringLiteral("threshold"),
                                 QStringLiteral("Occupancy threshold in dBm (default -100)."),
                                 QStringLiteral("DBM"), QStringLiteral("-100")};
    QCommandLineOption summary{QStringLiteral("summary"),
                               QStringLiteral("At the end, write the per-channel statistics to "
                                              "FILE as CSV."),
                               QStringLiteral("FILE")};
    QCommandLineOption trace{QStringLiteral("trace"),
                             QStringLiteral("At the end, write the frequency-planning trace "
                                            "(MHz,dBm per channel) to FILE."),
                             QStringLiteral("FILE")};
    QCommandLineOption traceLevel{QStringLiteral("trace-level"),
                                  QStringLiteral("The trace's level: max (default), mean, median "
                                                 "or p90."),
                                  QStringLiteral("LEVEL"), QStringLiteral("max")};
    QCommandLineOption metrics{QStringLiteral("metrics"),
                               QStringLiteral("Serve Prometheus metrics at http://[ADDR:]PORT/"
                                              "metrics; a bare PORT is the loopback address's."),
                               QStringLiteral("[ADDR:]PORT")};
    QCommandLineOption png{QStringLiteral("png"),
                           QStringLiteral("At the end, draw the chart into FILE (PNG)."),
                           QStringLiteral("FILE")};
    QCommandLineOption reconnect{QStringLiteral("reconnect"),
                                 QStringLiteral("When the port fails, reopen it once a second and "
                                                "go on.")};
    QCommandLineOption stallTimeout{QStringLiteral("stall-timeout"),
                                    QStringLiteral("Treat a module that sends no reading for D "
                                                   "as a failed port (default 30s; 0: wait "
                                                   "forever)."),
                                    QStringLiteral("D"), QStringLiteral("30s")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")},
                             QStringLiteral("No progress line and no statistics table.")};
    QCommandLineOption replay{QStringLiteral("replay"),
                              QStringLiteral("Read the sweeps of recording FILE instead of a "
                                             "port, as fast as the disk allows."),
                              QStringLiteral("FILE")};
    QCommandLineOption realtime{QStringLiteral("realtime"),
                                QStringLiteral("With --replay: pace the sweeps at their recorded "
                                               "times.")};
    QCommandLineOption from{QStringLiteral("from"),
                            QStringLiteral("With --replay: start at TIME (ISO 8601, or HH:MM "
                                           "UTC on the first day), included."),
                            QStringLiteral("TIME")};
    QCommandLineOption to{QStringLiteral("to"),
                          QStringLiteral("With --replay: end at TIME, included."),
                          QStringLiteral("TIME")};
    QCommandLineOption baseline{QStringLiteral("baseline"),
                                QStringLiteral("With --replay: add the occupancy and mean of "
                                               "FILE (a recording or a --summary CSV) and the "
                                               "differences to the summary."),
                                QStringLiteral("FILE")};
    QCommandLineOption rotate{QStringLiteral("rotate"),
                              QStringLiteral("Start a new output file at each UTC multiple of D "
                                             "since midnight (1d, 1h, 15m, 10s), its start "
                                             "before the extension: survey-20261207T1400.csv."),
                              QStringLiteral("D")};
    QCommandLineOption keep{QStringLiteral("keep"),
                            QStringLiteral("With --rotate: keep the newest N rotated files of the "
                                           "output, the one written included; delete older ones."),
                            QStringLiteral("N")};
    QCommandLineOption minFree{QStringLiteral("min-free"),
                               QStringLiteral("Pause writing the output and alarm log while "
                                              "their file system has less than SIZE free, "
                                              "dropping rows (K, M, G; default 100M; 0: off)."),
                               QStringLiteral("SIZE"), QStringLiteral("100M")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{QStringLiteral("version"),
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption listPorts{QStringLiteral("list-ports"),
                                 QStringLiteral("List the serial ports with their stable names "
                                                "(/dev/serial/by-id, by-path), description and "
                                                "USB ids, and exit.")};
};

std::optional<qint64> positiveInteger(const QString &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok && value > 0 ? std::optional<qint64>(value) : std::nullopt;
}

QString readHandOnOptions(const QCommandLineParser &parser, const Names &names,
                          ScanOptions &options)
{
    options.tracePath = parser.value(names.trace);
    const auto level = record::traceLevelFromName(parser.value(names.traceLevel));
    if (!level) {
        return QStringLiteral("unknown trace level '%1': use max, mean, median or p90")
            .arg(parser.value(names.traceLevel));
    }
    options.traceLevel = *level;
    const auto integrate = parseDuration(parser.value(names.integrate));
    // rtl_power's times have whole seconds, so must its intervals.
    if (!integrate || integrate->count() % 1000 != 0) {
        return QStringLiteral("--integrate needs whole seconds such as 1s, 10s or 15m, not '%1'")
            .arg(parser.value(names.integrate));
    }
    options.integrate = std::chrono::duration_cast<std::chrono::seconds>(*integrate);
    for (const QString &tag : parser.values(names.influxTag)) {
        const qsizetype equals = tag.indexOf(QLatin1Char('='));
        const QString key = tag.left(equals);
        const QString value = equals < 0 ? QString() : tag.mid(equals + 1);
        if (const auto problem = influx::tagProblem(key, value)) {
            return QStringLiteral("--influx-tag '%1': %2").arg(tag, *problem);
        }
        options.influxTags.append({key, value});
    }
    if (parser.isSet(names.metrics)) {
        options.metrics = MetricsAddress::parse(parser.value(names.metrics));
        if (!options.metrics) {
            return QStringLiteral("--metrics needs PORT or ADDRESS:PORT with an IP address, not "
                                  "'%1'")
                .arg(parser.value(names.metrics));
        }
    }
    const bool rtlPower = options.format == RecordFormat::RtlPower;
    if (parser.isSet(names.integrate) && !rtlPower) {
        return QStringLiteral("--integrate needs --format rtl_power");
    }
    if (!options.influxTags.isEmpty() && options.format != RecordFormat::Influx) {
        return QStringLiteral("--influx-tag needs --format influx");
    }
    if (rtlPower && options.channel) {
        return QStringLiteral("rtl_power rows hold whole sweeps; --channel records one channel");
    }
    return {};
}

QString readFileOptions(const QCommandLineParser &parser, const Names &names, ScanOptions &options)
{
    if (parser.isSet(names.rotate)) {
        options.files.rotate = parseDuration(parser.value(names.rotate));
        // A file name holds the start to the second.
        if (!options.files.rotate || options.files.rotate->count() % 1000 != 0) {
            return QStringLiteral("--rotate needs whole seconds such as 1d, 1h, 15m or 10s, not "
                                  "'%1'")
                .arg(parser.value(names.rotate));
        }
        if (options.output == QLatin1String("-")) {
            return QStringLiteral("--rotate needs an output file (-o FILE), not standard output");
        }
    }
    if (parser.isSet(names.keep)) {
        const auto keep = positiveInteger(parser.value(names.keep));
        if (!keep || *keep > std::numeric_limits<int>::max()) {
            return QStringLiteral("--keep needs a whole number above 0, not '%1'")
                .arg(parser.value(names.keep));
        }
        if (!options.files.rotate) {
            return QStringLiteral("--keep needs --rotate");
        }
        options.files.keep = static_cast<int>(*keep);
    }
    const auto minFree = parseSize(parser.value(names.minFree));
    if (!minFree) {
        return QStringLiteral("--min-free needs a size such as 100M, 2G or 0, not '%1'")
            .arg(parser.value(names.minFree));
    }
    options.files.minFreeBytes = *minFree;
    return {};
}

QString readReplayOptions(const QCommandLineParser &parser, const Names &names,
                          ScanOptions &options)
{
    options.replayPath = parser.value(names.replay);
    options.realtime = parser.isSet(names.realtime);
    options.from = parser.value(names.from);
    options.to = parser.value(names.to);
    options.baselinePath = parser.value(names.baseline);
    options.recordsAsked = parser.isSet(names.output) || parser.isSet(names.format);
    if (options.replayPath.isEmpty()) {
        for (const QCommandLineOption *option :
             {&names.realtime, &names.from, &names.to, &names.baseline}) {
            if (parser.isSet(*option)) {
                return QStringLiteral("--%1 needs --replay").arg(option->names().constLast());
            }
        }
        return {};
    }
    for (const QCommandLineOption *option : {&names.duration, &names.channel, &names.sampleCount,
                                             &names.reconnect, &names.stallTimeout}) {
        if (parser.isSet(*option)) {
            return QStringLiteral("--%1 is for a port, not --replay")
                .arg(option->names().constLast());
        }
    }
    // Checked against a day now; the day of the recording is known only once it is read.
    for (const QString *time : {&options.from, &options.to}) {
        if (!time->isEmpty() && !parseTime(*time, 0)) {
            return QStringLiteral("'%1' is no time: use ISO 8601 or HH:MM").arg(*time);
        }
    }
    return {};
}

QString readOptions(const QCommandLineParser &parser, const Names &names, ScanOptions &options)
{
    options.output = parser.value(names.output);
    const auto format = record::formatFromName(parser.value(names.format));
    if (!format) {
        return QStringLiteral("unknown format '%1': use csv, long, jsonl, rtl_power or influx")
            .arg(parser.value(names.format));
    }
    options.format = *format;
    if (parser.isSet(names.sweeps)) {
        options.sweeps = positiveInteger(parser.value(names.sweeps));
        if (!options.sweeps) {
            return QStringLiteral("--sweeps needs a whole number above 0, not '%1'")
                .arg(parser.value(names.sweeps));
        }
    }
    if (parser.isSet(names.duration)) {
        options.duration = parseDuration(parser.value(names.duration));
        if (!options.duration) {
            return QStringLiteral("--duration needs a length such as 90s, 15m or 2h, not '%1'")
                .arg(parser.value(names.duration));
        }
    }
    if (parser.isSet(names.channel)) {
        bool ok = false;
        const int channel = parser.value(names.channel).toInt(&ok);
        if (!ok || channel < channelplan::kFirstChannel || channel > channelplan::kLastChannel) {
            return QStringLiteral("--channel needs a channel number from 7 to 46, not '%1'")
                .arg(parser.value(names.channel));
        }
        options.channel = channel;
    }
    options.sampleCount = parser.value(names.sampleCount);
    static const QRegularExpression kCount(QStringLiteral("^[0-9]{1,3}$"));
    if (!kCount.match(options.sampleCount).hasMatch() || options.sampleCount.toInt() == 0) {
        return QStringLiteral("--sample-count needs 1 to 3 digits above 0, not '%1'")
            .arg(options.sampleCount);
    }
    bool ok = false;
    const int threshold = parser.value(names.threshold).toInt(&ok);
    if (!ok || threshold < std::numeric_limits<qint16>::min() ||
        threshold > std::numeric_limits<qint16>::max()) {
        return QStringLiteral("--threshold needs a whole number of dBm, not '%1'")
            .arg(parser.value(names.threshold));
    }
    options.threshold = static_cast<qint16>(threshold);
    options.summaryPath = parser.value(names.summary);
    options.pngPath = parser.value(names.png);
    options.reconnect = parser.isSet(names.reconnect);
    const QString stall = parser.value(names.stallTimeout);
    static const QRegularExpression kZero(QStringLiteral("^0+(?:\\.0+)?[smh]?$"));
    options.stallTimeout = parseDuration(stall);
    if (kZero.match(stall).hasMatch()) {
        options.stallTimeout.reset();
    } else if (!options.stallTimeout || *options.stallTimeout > kLongestStall) {
        return QStringLiteral("--stall-timeout needs a length up to 24h such as 30s or 2m, or 0, "
                              "not '%1'")
            .arg(stall);
    }
    options.quiet = parser.isSet(names.quiet);
    if (const QString error = alarmoptions::read(parser, options.alarms); !error.isEmpty()) {
        return error;
    }
    if (const QString error = readReplayOptions(parser, names, options); !error.isEmpty()) {
        return error;
    }
    if (const QString error = readHandOnOptions(parser, names, options); !error.isEmpty()) {
        return error;
    }
    if (const QString error = readFileOptions(parser, names, options); !error.isEmpty()) {
        return error;
    }

    const QStringList positional = parser.positionalArguments();
    if (!options.replayPath.isEmpty()) {
        if (!positional.isEmpty()) {
            return QStringLiteral("--replay takes the place of PORT, not '%1'")
                .arg(positional.join(QLatin1Char(' ')));
        }
        const mqttoptions::Result mqtt = mqttoptions::read(
            parser, QFileInfo(options.replayPath).completeBaseName(), QSysInfo::machineHostName());
        options.mqtt = mqtt.settings;
        return mqtt.error;
    }
    if (positional.size() != 1) {
        return positional.isEmpty() ? QStringLiteral("no PORT given")
                                    : QStringLiteral("one PORT only, not '%1'")
                                          .arg(positional.join(QLatin1Char(' ')));
    }
    options.port = positional.first();
    const mqttoptions::Result mqtt =
        mqttoptions::read(parser, options.port, QSysInfo::machineHostName());
    options.mqtt = mqtt.settings;
    return mqtt.error;
}

} // namespace

Parsed parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(kExitCodes);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const Names names;
    parser.addOptions({names.output,    names.format,   names.integrate, names.influxTag,
                       names.sweeps,    names.duration, names.channel,   names.sampleCount,
                       names.threshold, names.summary,  names.trace,     names.traceLevel,
                       names.metrics,   names.png,      names.reconnect, names.stallTimeout,
                       names.quiet,     names.replay,   names.realtime,  names.from,
                       names.to,        names.baseline, names.help,      names.version});
    parser.addOption(names.listPorts);
    parser.addOptions({names.rotate, names.keep, names.minFree});
    mqttoptions::addTo(parser);
    alarmoptions::addTo(parser);
    parser.addPositionalArgument(QStringLiteral("PORT"),
                                 QStringLiteral("The serial port of the module."));

    Parsed parsed;
    if (!parser.parse(arguments)) {
        parsed.text = parser.errorText();
        return parsed;
    }
    if (parser.isSet(names.help)) {
        parsed.action = Action::Help;
        // Parsed before the application exists, which is what names the program in the help.
        parsed.text = parser.helpText().replace(QLatin1String("<executable_name>"),
                                                QLatin1String("kvt318-scan"));
        return parsed;
    }
    if (parser.isSet(names.version)) {
        parsed.action = Action::Version;
        parsed.text = QStringLiteral("kvt318-scan %1.%2.%3")
                          .arg(KVT_VERSION_MAJOR)
                          .arg(KVT_VERSION_MINOR)
                          .arg(KVT_VERSION_PATCH);
        return parsed;
    }
    if (parser.isSet(names.listPorts)) {
        parsed.action = Action::ListPorts;
        return parsed;
    }
    parsed.text = readOptions(parser, names, parsed.options);
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

std::optional<std::chrono::milliseconds> parseDuration(const QString &text)
{
    static const QRegularExpression kLength(QStringLiteral("^([0-9]+(?:\\.[0-9]+)?)([smhd]?)$"));
    const QRegularExpressionMatch match = kLength.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    constexpr double kMsPerSecond = 1000.0;
    constexpr double kSecondsPerMinute = 60.0;
    constexpr double kSecondsPerHour = 3600.0;
    constexpr double kSecondsPerDay = 24 * kSecondsPerHour;
    double seconds = match.captured(1).toDouble();
    if (match.captured(2) == QLatin1String("m")) {
        seconds *= kSecondsPerMinute;
    } else if (match.captured(2) == QLatin1String("h")) {
        seconds *= kSecondsPerHour;
    } else if (match.captured(2) == QLatin1String("d")) {
        seconds *= kSecondsPerDay;
    }
    const double ms = std::round(seconds * kMsPerSecond);
    // A year is more than any survey; beyond it the timer would overflow.
    constexpr double kLongest = 366.0 * 24 * kSecondsPerHour * kMsPerSecond;
    if (ms < 1.0 || ms > kLongest) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<qint64>(ms));
}

std::optional<qint64> parseSize(const QString &text)
{
    static const QRegularExpression kSize(QStringLiteral("^([0-9]{1,12})([KMG]?)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = kSize.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QString unit = match.captured(2).toUpper();
    constexpr int kKiloShift = 10;
    const int shift = unit == QLatin1String("G")   ? 3 * kKiloShift
                      : unit == QLatin1String("M") ? 2 * kKiloShift
                      : unit == QLatin1String("K") ? kKiloShift
                                                   : 0;
    // Twelve digits shifted by thirty bits stay far inside 63.
    return match.captured(1).toLongLong() << shift;
}

} // namespace scanoptions
