// kvt318-scan's command line read without running it: every usage error and every rule between
// options with its exact message, and the grammars of lengths, sizes and whole numbers.
#include "core/grammar.h"
#include "engine/port/portdevice.h"
#include "programs/scan/receivernaming.h"
#include "programs/scan/scanoptions.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace std::chrono_literals;

namespace {
constexpr qint64 kNone = -1;

scanoptions::Parsed parsed(const QString &arguments)
{
    QStringList list = arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // ␣ stands for a space inside an argument.
    list.replaceInStrings(QStringLiteral("␣"), QStringLiteral(" "));
    list.prepend(QStringLiteral("kvt318-scan"));
    return scanoptions::parse(list);
}

// The option a row reads back, as a number (milliseconds for lengths); kNone when unset.
qint64 field(const ScanOptions &options, const QString &name)
{
    const auto ms = [](const std::optional<std::chrono::milliseconds> &value) {
        return value ? qint64(value->count()) : kNone;
    };
    const std::optional<PlanConstraints> &plan = options.plan.constraints;
    const QHash<QString, qint64> fields{
        {"duration", ms(options.duration)},
        {"stall", ms(options.stallTimeout)},
        {"rotate", ms(options.files.rotate)},
        {"integrate", qint64(options.integrate.count())},
        {"keep", options.files.keep.value_or(kNone)},
        {"minFree", options.files.minFreeBytes},
        {"sweeps", options.sweeps.value_or(kNone)},
        {"channel", options.channel.value_or(kNone)},
        {"threshold", options.threshold.dbm},
        {"noiseDb", options.threshold.noiseRelative ? options.threshold.db : kNone},
        {"hold", options.alarms.rules.empty() ? kNone : options.alarms.rules[0].holdFor.count()},
        {"interval", qint64(options.alarms.commandInterval.count())},
        {"recordsAsked", options.recordsAsked},
        {"planSize", plan ? plan->size : kNone},
        {"planAllowed", plan ? qint64(plan->allowed) : kNone},
        {"planSpacing", plan ? plan->spacing : kNone},
        {"planProducts", plan ? qint64(plan->products) : kNone},
        {"planStrong", plan ? qint64(plan->strong.size()) : kNone},
    };
    return fields.value(name, kNone - 1);
}
} // namespace

class TestScanOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refuses_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *arguments, const char *message) {
            QTest::newRow(message) << QString::fromUtf8(arguments) << QString::fromUtf8(message);
        };
        // What the parser itself refuses.
        row("--bogus x", "Unknown option 'bogus'.");
        row("x -o", "Missing value after '-o'.");
        // Values.
        row("--format xml x", "unknown format 'xml': use csv, long, jsonl, rtl_power or influx");
        row("--format rtl_power --integrate 1.5s x",
            "--integrate needs whole seconds such as 1s, 10s or 15m, not '1.5s'");
        row("--format influx --influx-tag port=a x",
            "--influx-tag 'port=a': the tag key port is the program's own");
        row("-n 0 x", "--sweeps needs a whole number above 0, not '0'");
        row("-t 5x x", "--duration needs a length such as 90s, 15m or 2h, not '5x'");
        row("-t 0 x", "--duration needs a length such as 90s, 15m or 2h, not '0'");
        row("--channel 47 x", "--channel needs a channel number from 7 to 46, not '47'");
        row("--sample-count 000 x", "--sample-count needs 1 to 3 digits above 0, not '000'");
        row("--threshold 40000 x",
            "--threshold needs a whole number of dBm, or noise+DB with DB from 0 to 200, not "
            "'40000'");
        row("--threshold noise+x x",
            "--threshold needs a whole number of dBm, or noise+DB with DB from 0 to 200, not "
            "'noise+x'");
        row("--trace-level p50 x", "unknown trace level 'p50': use max, mean, median or p90");
        row("--metrics host:x x",
            "--metrics needs PORT or ADDRESS:PORT with an IP address, not 'host:x'");
        row("--stall-timeout 25h x",
            "--stall-timeout needs a length up to 24h such as 30s or 2m, or 0, not '25h'");
        row("--replay r.csv --from noon", "'noon' is no time: use ISO 8601 or HH:MM");
        row("-o f --rotate 0.5s x",
            "--rotate needs whole seconds such as 1d, 1h, 15m or 10s, not '0.5s'");
        row("-o f --rotate 1h --keep 0 x", "--keep needs a whole number above 0, not '0'");
        row("--min-free 1T x", "--min-free needs a size such as 100M, 2G or 0, not '1T'");
        row("--alarm ch=30,above=-90 --on-alarm-interval soon x",
            "--on-alarm-interval needs a time such as 60s or 5m, or 0, not 'soon'");
        row("--alarm ch=99,above=-90 x",
            "alarm rule \"ch=99,above=-90\": ch=99 is not all, a channel 7 to 46 or a range N-M "
            "of them");
        row("--plan 41 x", "--plan needs a number of channels from 1 to 40, not '41'");
        row("--plan 4 --plan-allow 5-9 x", "--plan-allow: '5-9' is not within channels 7-46, "
                                           "lowest first");
        row("--plan 4 --plan-fixed 12,x x",
            "--plan-fixed: 'x' is not a channel or a range such as 7-12");
        row("--plan 4 --plan-im 4 x", "--plan-im needs none, 3 or 5, not '4'");
        row("--plan 4 --plan-im-guard 6 x",
            "--plan-im-guard needs a whole number from 0 to 5, not '6'");
        row("--plan 4 --plan-strong -60 x",
            "--plan-strong needs a level and a distance such as -60:2, not '-60'");
        row("--name north␣hill x", "--name 'north hill': a receiver name is letters, digits, '-', "
                                   "'_' and '.', not a space");
        row("--name site/2 x",
            "--name 'site/2': a receiver name is letters, digits, '-', '_' and '.', not '/'");
        row("--name=mäst x",
            "--name 'mäst': a receiver name is letters, digits, '-', '_' and '.', not 'ä'");
        row("--name= x", "--name '': a receiver name cannot be empty");
        row("--name .. x", "--name '..': a receiver name cannot be dots only");
        row("--format influx --influx-tag receiver=a x",
            "--influx-tag 'receiver=a': the tag key receiver is the program's own");
        // The port.
        row("-q", "no PORT given");
        row("a b", "one PORT only, not 'a b'");
        row("--replay r.csv x", "--replay takes the place of PORT, not 'x'");
        // Rules between options.
        row("--integrate 2s x", "--integrate needs --format rtl_power");
        row("--influx-tag a=b x", "--influx-tag needs --format influx");
        row("--format rtl_power --channel 20 x",
            "rtl_power rows hold whole sweeps; --channel records one channel");
        row("--rotate 1h x", "--rotate needs an output file (-o FILE), not standard output");
        row("-o - --rotate 1h x", "--rotate needs an output file (-o FILE), not standard output");
        row("-o f --keep 2 x", "--keep needs --rotate");
        for (const char *option : {"--realtime", "--from 02:00", "--to 02:00", "--baseline b"}) {
            const QString name = QString::fromLatin1(option).section(' ', 0, 0);
            QTest::newRow(option) << QStringLiteral("%1 x").arg(QLatin1String(option))
                                  << QStringLiteral("%1 needs --replay").arg(name);
        }
        const std::pair<const char *, const char *> portOnly[] = {
            {"-t 1h", "duration"},
            {"--channel 20", "channel"},
            {"--sample-count 08", "sample-count"},
            {"--reconnect", "reconnect"},
            {"--stall-timeout 1m", "stall-timeout"}};
        for (const auto &[option, name] : portOnly) {
            QTest::newRow(option)
                << QStringLiteral("--replay r.csv %1").arg(QLatin1String(option))
                << QStringLiteral("--%1 is for a port, not --replay").arg(QLatin1String(name));
        }
        for (const char *option : {"--plan-spacing 2", "--plan-out p.csv", "--plan-avoid 9"}) {
            const QString name = QString::fromLatin1(option).section(' ', 0, 0);
            QTest::newRow(option) << QStringLiteral("%1 x").arg(QLatin1String(option))
                                  << QStringLiteral("%1 needs --plan N").arg(name);
        }
        for (const char *option :
             {"--alarm-log a.csv", "--on-alarm true", "--on-alarm-interval 1m"}) {
            const QString name = QString::fromLatin1(option).section(' ', 0, 0);
            QTest::newRow(option) << QStringLiteral("%1 x").arg(QLatin1String(option))
                                  << QStringLiteral("%1 needs an --alarm").arg(name);
        }
    }
    void refuses()
    {
        QFETCH(QString, arguments);
        const scanoptions::Parsed result = parsed(arguments);
        QCOMPARE(result.action, scanoptions::Action::Usage);
        QTEST(result.text, "message");
    }

    // The MQTT options exist only in a build that can publish.
    void refusesMqtt_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        for (const char *option : {"--mqtt-ca c.pem", "--mqtt-user u", "--mqtt-password-file p",
                                   "--mqtt-topic t", "--mqtt-stats-interval 5", "--mqtt-queue 5"}) {
            const QString name = QString::fromLatin1(option).section(' ', 0, 0);
            QTest::newRow(option) << QStringLiteral("%1 x").arg(QLatin1String(option))
                                  << QStringLiteral("%1 needs --mqtt").arg(name);
        }
        QTest::newRow("url") << "--mqtt http://b x"
                             << "bad broker URL 'http://b': expected mqtt://HOST[:PORT] or "
                                "mqtts://HOST[:PORT]";
        QTest::newRow("ca") << "--mqtt mqtt://b --mqtt-ca c.pem x"
                            << "--mqtt-ca needs an mqtts:// broker URL";
        QTest::newRow("password") << "--mqtt mqtt://b --mqtt-password-file p x"
                                  << "--mqtt-password-file needs --mqtt-user";
        QTest::newRow("topic") << "--mqtt mqtt://b --mqtt-topic a/# x"
                               << "bad topic prefix 'a/#': no + or # wildcards";
        QTest::newRow("interval") << "--mqtt mqtt://b --mqtt-stats-interval 0 x"
                                  << "bad --mqtt-stats-interval '0': a whole number of seconds "
                                     "above 0";
        QTest::newRow("queue") << "--mqtt mqtt://b --mqtt-queue -1 x"
                               << "bad --mqtt-queue '-1': a whole number above 0";
        QTest::newRow("unreadable") << "--mqtt mqtts://b --mqtt-ca /nonexistent/c.pem x"
                                    << "cannot read /nonexistent/c.pem: No such file or directory";
    }
    void refusesMqtt()
    {
        std::optional<MqttSettings> settings;
        if (mqttoptions::rows(settings).isEmpty()) {
            QSKIP("this build cannot publish to MQTT");
        }
        refuses();
    }

    // Without --name: the serial number of the adapter the port leads to, else the base name.
    void defaultName_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("serialNumber"); // of the adapter at /dev/ttyUSB0
        QTest::addColumn<QString>("name");
        QTest::newRow("the adapter's serial") << "/dev/ttyUSB0"
                                              << "A10K1234"
                                              << "A10K1234";
        QTest::newRow("a serial reduced") << "/dev/ttyUSB0"
                                          << "A1 B2/3"
                                          << "A1B23";
        QTest::newRow("no serial") << "/dev/ttyUSB0"
                                   << ""
                                   << "ttyUSB0";
        QTest::newRow("a serial of dots") << "/dev/ttyUSB0"
                                          << "..."
                                          << "ttyUSB0";
        QTest::newRow("another port") << "/dev/ttyACM0"
                                      << "A10K1234"
                                      << "ttyACM0";
    }
    void defaultName()
    {
        QFETCH(QString, port);
        QFETCH(QString, serialNumber);
        struct Listed : PortDevices
        {
            PortDevice port;
            [[nodiscard]] QList<PortDevice> list() const override { return {port}; }
        } ports;
        ports.port = {"/dev/ttyUSB0", {}, 0x0403, 0x6001, serialNumber, "/dev/ttyUSB0"};
        QTEST(receivernaming::forPort(port, ports), "name");
    }

    void reads_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("field");
        QTest::addColumn<qint64>("value");
        const auto row = [](const char *name, const char *arguments, const char *field,
                            qint64 value) { QTest::newRow(name) << arguments << field << value; };
        row("milliseconds", "-t 500ms x", "duration", 500);
        row("a day", "-t 1d x", "duration", 86'400'000);
        row("bare seconds", "-t 1.5 x", "duration", 1500);
        row("no limit", "x", "duration", kNone);
        row("stall default", "x", "stall", 30'000);
        row("stall 0", "--stall-timeout 0 x", "stall", kNone);
        row("stall 0ms", "--stall-timeout 0ms x", "stall", kNone);
        row("rotate", "-o f --rotate 1d x", "rotate", 86'400'000);
        row("integrate", "--format rtl_power --integrate 15m x", "integrate", 900);
        row("integrate default", "--format rtl_power x", "integrate", 1);
        row("keep", "-o f --rotate 1h --keep 3 x", "keep", 3);
        row("min-free default", "x", "minFree", qint64(100) << 20);
        row("min-free 0", "--min-free 0 x", "minFree", 0);
        row("min-free 2G", "--min-free 2G x", "minFree", qint64(2) << 30);
        row("sweeps", "-n 9000000000 x", "sweeps", 9'000'000'000);
        row("channel", "--channel 7 x", "channel", 7);
        row("threshold", "--threshold -90 x", "threshold", -90);
        row("hold a day", "--alarm ch=30,above=-90,for=1d x", "hold", 86'400'000);
        row("hold 0", "--alarm ch=30,above=-90,for=0 x", "hold", 0);
        row("interval 0", "--alarm ch=30,above=-90 --on-alarm-interval 0 x", "interval", 0);
        row("interval bare seconds", "--alarm ch=30,above=-90 --on-alarm-interval 90 x", "interval",
            90'000);
        row("records asked", "--replay r.csv --format long", "recordsAsked", 1);
        row("records not asked", "--replay r.csv", "recordsAsked", 0);
        row("replay rotated", "--replay r.csv -o f --rotate 1h --keep 2", "keep", 2);
        row("replay min-free", "--replay r.csv --min-free 1G", "minFree", qint64(1) << 30);
        row("noise-relative threshold", "--threshold noise+12 x", "noiseDb", 12);
        row("absolute threshold", "--threshold -90 x", "noiseDb", kNone);
        row("no plan", "x", "planSize", kNone);
        row("plan allows every channel", "--plan 4 x", "planAllowed", qint64(plan::kAllChannels));
        row("plan allow list", "--plan 4 --plan-allow 7-8,46 x", "planAllowed", 0x8000000003);
        row("plan spacing", "--replay r.csv --plan 2 --plan-spacing 3", "planSpacing", 3);
        row("plan im none", "--plan 2 --plan-im none x", "planProducts",
            qint64(PlanProducts::None));
        row("plan strong repeated", "--plan 2 --plan-strong -60:2 --plan-strong -40:3 x",
            "planStrong", 2);
    }
    void reads()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, field);
        const scanoptions::Parsed result = parsed(arguments);
        QVERIFY2(result.action == scanoptions::Action::Run, qPrintable(result.text));
        QTEST(::field(result.options, field), "value");
    }

    // --hours as one argument: the windows written the one way, or the usage error naming the
    // window and what is wrong with it.
    void hours_data()
    {
        QTest::addColumn<QString>("hoursText");
        QTest::addColumn<QString>("said");
        QTest::newRow("two windows") << "mon-fri 8:00-18:00;  Sat,Sun 00:00-24:00"
                                     << "Mon-Fri 08:00-18:00; Sat,Sun 00:00-24:00";
        QTest::newRow("every day, across midnight") << "22:00-06:00"
                                                    << "22:00-06:00";
        QTest::newRow("a range that wraps") << "Sat-Mon 10:00-11:00"
                                            << "Sat-Mon 10:00-11:00";
        QTest::newRow("all") << ""
                             << "";
        QTest::newRow("unknown day")
            << "Mon-Fry 08:00-18:00"
            << "--hours: window 'Mon-Fry 08:00-18:00': 'Mon-Fry' is no day or range of days: use "
               "Mon, Tue, Wed, Thu, Fri, Sat, Sun, such as Mon-Fri or Sat,Sun";
        QTest::newRow("bad time") << "Mon 08:00-25:00"
                                  << "--hours: window 'Mon 08:00-25:00': '08:00-25:00' is no span "
                                     "of hours: use HH:MM-HH:MM from 00:00 to 24:00, such as "
                                     "08:00-18:00";
        QTest::newRow("24:00 as a start") << "24:00-06:00"
                                          << "--hours: window '24:00-06:00': '24:00-06:00' is no "
                                             "span of hours: use HH:MM-HH:MM from 00:00 to 24:00, "
                                             "such as 08:00-18:00";
        QTest::newRow("empty span") << "Mon 08:00-08:00"
                                    << "--hours: window 'Mon 08:00-08:00': it starts where it "
                                       "ends; a whole day is 00:00-24:00";
        QTest::newRow("empty window") << "Mon 08:00-09:00;"
                                      << "--hours: window '': write it as DAYS HH:MM-HH:MM, such "
                                         "as Mon-Fri 08:00-18:00";
    }
    void hours()
    {
        QFETCH(QString, hoursText);
        const scanoptions::Parsed result =
            scanoptions::parse({"kvt318-scan", "--hours", hoursText, "x"});
        QTEST(result.action == scanoptions::Action::Run ? result.options.hours.text() : result.text,
              "said");
    }

    void durations_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("zeroAllowed");
        QTest::addColumn<qint64>("ms"); // kNone: refused
        QTest::newRow("ms") << "250ms" << false << qint64(250);
        QTest::newRow("s") << "90s" << false << qint64(90'000);
        QTest::newRow("m") << "1.5m" << false << qint64(90'000);
        QTest::newRow("h") << "2h" << false << qint64(7'200'000);
        QTest::newRow("d") << "1d" << false << qint64(86'400'000);
        QTest::newRow("bare") << "0.25" << false << qint64(250);
        QTest::newRow("longest") << "7d" << false << qint64(604'800'000);
        QTest::newRow("too long") << "8d" << false << kNone;
        QTest::newRow("0 refused") << "0" << false << kNone;
        QTest::newRow("0ms refused") << "0ms" << false << kNone;
        QTest::newRow("rounds to 0") << "0.1ms" << false << kNone;
        QTest::newRow("0 allowed") << "0" << true << qint64(0);
        QTest::newRow("0s allowed") << "0s" << true << qint64(0);
        QTest::newRow("negative") << "-1s" << true << kNone;
        QTest::newRow("no number") << "s" << true << kNone;
        QTest::newRow("unknown unit") << "5w" << true << kNone;
        QTest::newRow("empty") << "" << true << kNone;
        QTest::newRow("not finite") << "inf" << true << kNone;
    }
    void durations()
    {
        QFETCH(QString, text);
        QFETCH(bool, zeroAllowed);
        const auto length = grammar::readDuration(
            text, zeroAllowed ? grammar::Zero::Allowed : grammar::Zero::Refused, 7 * 24h);
        QTEST(length ? qint64(length->count()) : kNone, "ms");
    }

    void sizes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("bytes"); // kNone: refused
        QTest::newRow("bytes") << "4096" << qint64(4096);
        QTest::newRow("0") << "0" << qint64(0);
        QTest::newRow("K") << "512K" << qint64(512) * 1024;
        QTest::newRow("m") << "100m" << (qint64(100) << 20);
        QTest::newRow("G") << "2G" << (qint64(2) << 30);
        QTest::newRow("T") << "1T" << kNone;
        QTest::newRow("decimal") << "1.5G" << kNone;
        QTest::newRow("negative") << "-1" << kNone;
        QTest::newRow("too many digits") << "1234567890123" << kNone;
    }
    void sizes()
    {
        QFETCH(QString, text);
        QTEST(grammar::readSize(text).value_or(kNone), "bytes");
    }

    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value"); // kNone: refused; the range is 7 to 46
        QTest::newRow("lowest") << "7" << qint64(7);
        QTest::newRow("highest") << "46" << qint64(46);
        QTest::newRow("below") << "6" << kNone;
        QTest::newRow("above") << "47" << kNone;
        QTest::newRow("decimal") << "20.0" << kNone;
        QTest::newRow("word") << "twenty" << kNone;
        QTest::newRow("overflow") << "99999999999999999999" << kNone;
    }
    void integers()
    {
        QFETCH(QString, text);
        QTEST(grammar::readInteger(text, 7, 46).value_or(kNone), "value");
    }
};

QTEST_GUILESS_MAIN(TestScanOptions)
#include "tst_scanoptions.moc"
