// The monitor's command line: options read, and a bad one refused before any window.
#include "programs/monitor/commandline.h"

#include <QProcess>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode"); // -1: runs
        QTest::addColumn<QString>("recordPath");
        QTest::addColumn<bool>("history");
        const auto row = [](const char *name, const QStringList &arguments, int exitCode,
                            const char *recordPath, bool history) {
            QTest::newRow(name) << arguments << exitCode << recordPath << history;
        };
        row("nothing", {}, -1, "", false);
        row("record", {"--record", "a b.csv"}, -1, "a b.csv", false);
        row("record=", {"--record=x.csv", "--history"}, -1, "x.csv", true);
        row("history", {"--history"}, -1, "", true);
        row("Qt's own options", {"-platform", "offscreen", "-reverse"}, -1, "", false);
        row("help", {"--help"}, 0, "", false);
        row("version", {"--version"}, 0, "", false);
        row("unknown", {"--bogus"}, 2, "", false);
        row("record without file", {"--record"}, 2, "", false);
        row("stray argument", {"COM3"}, 2, "", false);
        row("alarms", {"--alarm", "ch=30,above=-90", "--alarm", "ch=all,above=noise+10"}, -1, "",
            false);
        row("a day's hold", {"--alarm", "ch=30,above=-90,for=1d"}, -1, "", false);
        row("open", {"--open", "r.csv"}, -1, "", true);
        row("bad alarm", {"--alarm", "ch=30,above=-90", "--alarm", "ch=30"}, 2, "", false);
        row("watch", {"--watch", "mqtts://broker.example:8884#site-7.a_1"}, -1, "", false);
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        arguments.prepend(QStringLiteral("kvt318-monitor"));
        const CommandLineOutcome outcome = commandline::parse(arguments);
        QCOMPARE(outcome.options.has_value(), exitCode == -1);
        if (outcome.options) {
            QTEST(outcome.options->recordPath, "recordPath");
            QTEST(outcome.options->openHistory, "history");
            // Every --alarm given is watched, in the order given.
            QStringList rules;
            for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
                if (arguments[i] == QLatin1String("--alarm")) {
                    rules.append(arguments[i + 1]);
                }
            }
            QCOMPARE(outcome.options->alarmRules, rules);
            return;
        }
        QCOMPARE(outcome.exitCode, exitCode);
        // Help and version go to standard output; a refusal to standard error, with the usage.
        QCOMPARE(outcome.output.isEmpty(), exitCode != 0);
        QCOMPARE(outcome.error.contains(QLatin1String("--record <FILE>")), exitCode != 0);
    }

    // Each refusal names what is wrong on its first line, the usage after it.
    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown") << QStringList{"--bogus"} << "Unknown option 'bogus'.";
        QTest::newRow("no value") << QStringList{"--open"} << "Missing value after '--open'.";
        QTest::newRow("stray") << QStringList{"--history", "COM3"} << "Unexpected argument: COM3";
        QTest::newRow("rule") << QStringList{"--alarm", "ch=30,above=-90,for=1w"}
                              << "alarm rule \"ch=30,above=-90,for=1w\": for=1w is not a time "
                                 "such as 0, 500ms, 5s, 2m or 1h";
        QTest::newRow("watch URL") << QStringList{"--watch", "http://b#r"}
                                   << "bad broker URL 'http://b': expected mqtt://HOST[:PORT] or "
                                      "mqtts://HOST[:PORT]";
        QTest::newRow("receiver") << QStringList{"--watch", "mqtt://b#site 7"}
                                  << "bad receiver name 'site 7': letters, digits, '-', '_' and "
                                     "'.' only";
    }
    void refusals()
    {
        QFETCH(QStringList, arguments);
        arguments.prepend(QStringLiteral("kvt318-monitor"));
        const CommandLineOutcome outcome = commandline::parse(arguments);
        QCOMPARE(outcome.exitCode, commandline::kUsageExitCode);
        QTEST(outcome.error.section(QLatin1Char('\n'), 0, 0), "message");
        QVERIFY(outcome.error.contains(QLatin1String("--alarm <RULE>")));
    }

    // The real program: with a display platform that cannot load, reaching the window would
    // abort instead of exiting 2.
    void badOptionExitsBeforeAnyWindow()
    {
        QProcess monitor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        monitor.setProcessEnvironment(environment);
        monitor.start(qEnvironmentVariable("KVT318_MONITOR"), {QStringLiteral("--bogus")});
        QVERIFY(monitor.waitForFinished(90'000));
        QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor.exitCode(), 2);
        QCOMPARE(monitor.readAllStandardOutput(), QByteArray());
        const QByteArray error = monitor.readAllStandardError();
        QVERIFY(error.contains("bogus"));
        QVERIFY(error.contains("Usage:"));
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
