// Alarm rules as typed, and what they raise and clear from readings with their times.
#include "core/channelplan.h"
#include "engine/alarm/alarmengine.h"
#include "engine/alarm/alarmevent.h"
#include "engine/alarm/alarmrule.h"
#include "engine/alarm/alarmwatch.h"
#include "engine/protocol/monitorstate.h"
#include "engine/protocol/reading.h"
#include "engine/record/sweeprecord.h"

#include <QtTest>

namespace {

constexpr qint64 kStartUtcMs = 1'796'000'000'000;
constexpr int kChannel = 30;

// "3:-80" is -80 dBm on channel 30 at 3 s, "0-29:-120" one a second, "3:-80@12" on channel 12,
// "end" stops the run.
QStringList run(const QString &ruleText, const QString &script)
{
    const alarms::ParsedRule parsed = alarms::parseRule(ruleText);
    if (!parsed.rule) {
        return {parsed.error};
    }
    AlarmEngine engine({*parsed.rule});
    std::vector<AlarmEvent> events;
    for (const QString &token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token == QLatin1String("end")) {
            const auto ended = engine.end(QStringLiteral("stopped"));
            events.insert(events.end(), ended.begin(), ended.end());
            continue;
        }
        const QStringList at = token.split(QLatin1Char('@'));
        const QStringList parts = at.front().split(QLatin1Char(':'));
        const QStringList times = parts.front().split(QLatin1Char('-'));
        const int channel = at.size() > 1 ? at.back().toInt() : kChannel;
        for (int second = times.front().toInt(); second <= times.back().toInt(); ++second) {
            const Reading reading{channelplan::channelIndex(channel),
                                  static_cast<qint16>(parts.back().toInt()),
                                  kStartUtcMs + second * 1000LL, RadioMode::Fsk};
            const auto decided = engine.addReading(reading);
            events.insert(events.end(), decided.begin(), decided.end());
        }
    }
    QStringList seen;
    for (const AlarmEvent &event : events) {
        QString text = alarms::kindName(event.kind) +
                       QStringLiteral("@%1").arg((event.utcMs - kStartUtcMs) / 1000);
        if (channelplan::channelNumber(event.index) != kChannel) {
            text += QStringLiteral("#%1").arg(channelplan::channelNumber(event.index));
        }
        if (event.durationMs) {
            text += QStringLiteral("/%1p%2").arg(*event.durationMs / 1000).arg(event.peakDbm);
        }
        seen.append(text);
    }
    return seen;
}

// Keeps "NAME:kind#channel/raised now" for each event; a failing one fails for good at its first.
class KeptAction : public AlarmAction
{
public:
    KeptAction(QString name, QStringList &kept, bool failing = false)
        : m_name(std::move(name))
        , m_kept(kept)
        , m_failing(failing)
    {}

    void take(const AlarmEvent &event, const AlarmEngine &engine) override
    {
        m_kept.append(QStringLiteral("%1:%2#%3/%4")
                          .arg(m_name, alarms::kindName(event.kind))
                          .arg(channelplan::channelNumber(event.index))
                          .arg(engine.active().size()));
        m_failed = m_failing;
    }
    [[nodiscard]] QString failure() const override { return m_failed ? m_name : QString(); }

private:
    QString m_name;
    QStringList &m_kept;
    bool m_failing = false;
    bool m_failed = false;
};

} // namespace

class TestAlarm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsRules_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // first-last above clear for clear-for, or error
        const auto row = [](const char *name, const char *text, const char *expected) {
            QTest::newRow(name) << text << expected;
        };
        row("one channel", "ch=30,above=-90", "30-30 -90 -93 0 5000");
        row("bare seconds", "ch=30,above=-90,for=5", "30-30 -90 -93 5000 5000");
        row("all, noise", "ch=all,above=noise+10,for=2s", "7-46 n10 n7 2000 5000");
        row("range, all keys", "ch=7-12,above=-85.5,clear=-95,clear-for=500ms,for=1m",
            "7-12 -85.5 -95 60000 500");
        row("spaces, noise below", " ch = 30 , above = noise-3 ", "30-30 n-3 n-6 0 5000");
        row("fixed clear, noise raise", "ch=30,above=noise+6,clear=-110", "30-30 n6 -110 0 5000");
        row("empty", "", "\"\" is not KEY=VALUE");
        row("trailing comma", "ch=30,above=-90,", "\"\" is not KEY=VALUE");
        row("no level", "ch=30", "both needed");
        row("no channel", "above=-90", "both needed");
        row("below the plan", "ch=6,above=-90", "ch=6 is not");
        row("above the plan", "ch=40-47,above=-90", "ch=40-47 is not");
        row("backwards range", "ch=20-10,above=-90", "ch=20-10 is not");
        row("three ends", "ch=8-9-10,above=-90", "ch=8-9-10 is not");
        row("word level", "ch=30,above=loud", "above=loud is not a level");
        row("noise without sign", "ch=30,above=noise10", "above=noise10 is not");
        row("negative time", "ch=30,above=-90,for=-1s", "for=-1s is not a time");
        row("unknown unit", "ch=30,above=-90,clear-for=5x", "clear-for=5x is not");
        row("clear above raise", "ch=30,above=-90,clear=-80", "must not be above");
        row("unknown key", "ch=30,above=-90,colour=red", "unknown key \"colour\"");
        row("key twice", "ch=30,ch=31,above=-90", "ch is given twice");
    }
    void readsRules()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const alarms::ParsedRule parsed = alarms::parseRule(text);
        if (!parsed.rule) {
            QVERIFY2(parsed.error.startsWith("alarm rule \"" + text + "\": "),
                     qPrintable(parsed.error));
            QVERIFY2(parsed.error.contains(expected), qPrintable(parsed.error));
            return;
        }
        const AlarmRule &rule = *parsed.rule;
        const auto level = [](const AlarmLevel &l) {
            return (l.noiseRelative ? QStringLiteral("n") : QString()) + QString::number(l.db);
        };
        QCOMPARE(QStringLiteral("%1-%2 %3 %4 %5 %6")
                     .arg(channelplan::channelNumber(rule.firstIndex))
                     .arg(channelplan::channelNumber(rule.lastIndex))
                     .arg(level(rule.above), level(rule.clear))
                     .arg(rule.holdFor.count())
                     .arg(rule.clearFor.count()),
                 expected);
        QCOMPARE(rule.text, text);
    }

    void raisesAndClears_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *rule, const char *script,
                            const char *expected) {
            QTest::newRow(name) << rule << script << expected;
        };
        row("at once", "ch=30,above=-90", "0:-100 1:-80", "raised@1");
        row("at the level is not above", "ch=30,above=-90", "0-5:-90", "");
        row("after for", "ch=30,above=-90,for=2s", "0:-100 1-4:-80", "raised@3");
        row("shorter burst", "ch=30,above=-90,for=2s", "0-1:-80 2:-100 3:-80 4:-100", "");
        row("between clear and above holds", "ch=30,above=-90,clear=-95,clear-for=0",
            "0:-80 1-9:-92 10:-96", "raised@0 cleared@10/10p-80");
        row("default clear 3 dB under", "ch=30,above=-90,clear-for=0", "0:-80 1:-92 2:-93",
            "raised@0 cleared@2/2p-80");
        row("clear after clear-for", "ch=30,above=-90", "0:-80 1:-70 2-6:-100 7:-100",
            "raised@0 cleared@7/7p-70");
        row("back up restarts clear-for", "ch=30,above=-90,clear-for=3s",
            "0:-80 1:-100 2:-85 3-6:-100", "raised@0 cleared@6/6p-80");
        row("raises again after a clear", "ch=30,above=-90,clear-for=0", "0:-80 1:-100 2:-80",
            "raised@0 cleared@1/1p-80 raised@2");
        row("noise relative", "ch=30,above=noise+10,clear-for=0",
            "0-29:-120 30:-105 31:-112 32:-114", "raised@30 cleared@32/2p-105");
        // A clear level on the noise floor above a fixed raise level is held down to it.
        row("clear held under the raise level", "ch=30,above=-90,clear=noise+30,clear-for=0",
            "0-29:-100 30:-80 31:-85", "raised@30");
        row("louder floor, same level", "ch=30,above=noise+10", "0-29:-100 30:-95", "");
        row("each channel its own", "ch=all,above=-90,clear-for=0",
            "0:-80 0:-80@12 1:-100 2:-100@12",
            "raised@0 raised@0#12 cleared@1/1p-80 cleared@2#12/2p-80");
        row("outside the rule", "ch=31-46,above=-90", "0-3:-60", "");
        row("ended on stop", "ch=30,above=-90", "0:-80 4:-85 end", "raised@0 ended@4/4p-80");
        row("rising is not ended", "ch=30,above=-90,for=10s", "0-4:-80 end 5-8:-80", "");
    }
    void raisesAndClears()
    {
        QFETCH(QString, rule);
        QFETCH(QString, script);
        QFETCH(QString, expected);
        QCOMPARE(run(rule, script).join(QLatin1Char(' ')), expected);
    }

    // Each event goes to the actions in the order they were added, the alarms raised now known to
    // them; one that fails for good is reported once (the step returns false), then passed over.
    void watchTakesEventsToActions_data()
    {
        QTest::addColumn<QString>("script"); // s: a sweep, r: a reading of channel 30; 1 s apart
        QTest::addColumn<bool>("failing");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sweeps in order")
            << "r-80 s-80 s-100 end" << false
            << "A:raised#12/2 B:raised#12/2 A:raised#30/2 B:raised#30/2 A:cleared#12/0 "
               "B:cleared#12/0 A:cleared#30/0 B:cleared#30/0";
        QTest::newRow("fails for good") << "s-80 s-100" << true
                                        << "A:raised#12/2 failed:A B:raised#12/2 B:raised#30/2 "
                                           "false B:cleared#12/0 B:cleared#30/0";
    }
    void watchTakesEventsToActions()
    {
        QFETCH(QString, script);
        QFETCH(bool, failing);
        QFETCH(QString, expected);
        AlarmWatch watch({*alarms::parseRule("ch=all,above=-90,clear-for=0").rule},
                         AlarmWatch::Input::Sweeps);
        QStringList kept;
        watch.addAction(std::make_unique<KeptAction>("A", kept, failing));
        watch.addAction(std::make_unique<KeptAction>("B", kept));
        connect(&watch, &AlarmWatch::failed, this,
                [&kept](const QString &reason) { kept.append("failed:" + reason); });
        qint64 utcMs = kStartUtcMs;
        for (const QString &step : script.split(QLatin1Char(' '))) {
            const auto dbm = static_cast<qint16>(step.mid(1).toInt());
            utcMs += 1000;
            SweepRecord sweep{utcMs};
            sweep.dbm.fill(MonitorState::kNoReading);
            sweep.dbm[static_cast<std::size_t>(channelplan::channelIndex(12))] = dbm;
            sweep.dbm[static_cast<std::size_t>(channelplan::channelIndex(kChannel))] = dbm;
            const bool taken =
                step == QLatin1String("end") ? watch.end(QStringLiteral("stopped"))
                : step.startsWith(QLatin1Char('s'))
                    ? watch.addSweep(sweep)
                    : watch.addReading({channelplan::channelIndex(kChannel), dbm, utcMs});
            if (!taken) {
                kept.append(QStringLiteral("false"));
            }
        }
        QCOMPARE(kept.join(QLatin1Char(' ')), expected);
    }

    // The log and the JSON carry the same fields; a rule with commas stays one CSV field.
    void writesEvents()
    {
        AlarmEvent event;
        event.utcMs = 1'796'619'600'000; // 2026-12-07T05:00:00Z
        event.index = channelplan::channelIndex(kChannel);
        event.dbm = -72;
        event.peakDbm = -72;
        event.rule = QStringLiteral("ch=30,above=-90");
        const QByteArray raised =
            "{\"time\":\"2026-12-07T05:00:00.000Z\",\"event\":\"raised\",\"channel\":30,"
            "\"mhz\":429.5375,\"dbm\":-72,\"duration_s\":null,\"peak_dbm\":-72,"
            "\"rule\":\"ch=30,above=-90\"}";
        QCOMPARE(alarms::eventJson(event), raised);
        event.kind = AlarmEvent::Kind::Ended;
        event.durationMs = 61'500;
        event.reason = QStringLiteral("/dev/ttyUSB0: \"gone\"");
        QCOMPARE(alarms::csvRow(event),
                 QByteArray("2026-12-07T05:00:00.000Z,ended,30,429.5375,-72,61.500,-72,"
                            "\"ch=30,above=-90\",\"/dev/ttyUSB0: \"\"gone\"\"\"\n"));
        const QByteArray endedTail = "\"duration_s\":61.500,\"peak_dbm\":-72,"
                                     "\"rule\":\"ch=30,above=-90\","
                                     "\"reason\":\"/dev/ttyUSB0: \\\"gone\\\"\"}";
        QVERIFY2(alarms::eventJson(event).endsWith(endedTail),
                 alarms::eventJson(event).constData());
    }
};

QTEST_GUILESS_MAIN(TestAlarm)
#include "tst_alarm.moc"
