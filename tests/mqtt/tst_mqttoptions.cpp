#include "scan/mqttoptions.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestMqttOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void read_data();
    void read();
    void defaultTopicPrefix_data();
    void defaultTopicPrefix();
};

void TestMqttOptions::read_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("error");
    // host port tls user password prefix queue stats-interval; empty when nothing is published
    QTest::addColumn<QString>("settings");

    QTest::newRow("no broker") << QStringList{} << QString() << QString();
    QTest::newRow("host only") << QStringList{"--mqtt", "mqtt://broker.site"} << QString()
                               << "broker.site 1883 plain - - kvt318/scanhost/ttyUSB0 1000 60";
    QTest::newRow("tls, port, everything")
        << QStringList{"--mqtt",
                       "mqtts://10.1.2.3:8884/",
                       "--mqtt-ca",
                       "@ca.pem",
                       "--mqtt-user",
                       "site7",
                       "--mqtt-password-file",
                       "@password",
                       "--mqtt-topic",
                       "fleet/site7",
                       "--mqtt-queue",
                       "50",
                       "--mqtt-stats-interval",
                       "15"}
        << QString() << "10.1.2.3 8884 tls site7 s3cret pass fleet/site7 50 15";
    QTest::newRow("tls default port") << QStringList{"--mqtt", "mqtts://broker"} << QString()
                                      << "broker 8883 tls - - kvt318/scanhost/ttyUSB0 1000 60";

    const QString badUrl = QStringLiteral("bad broker URL");
    QTest::newRow("other scheme") << QStringList{"--mqtt", "http://broker"} << badUrl << QString();
    QTest::newRow("no host") << QStringList{"--mqtt", "mqtt://"} << badUrl << QString();
    QTest::newRow("password in URL")
        << QStringList{"--mqtt", "mqtt://u:p@broker"} << badUrl << QString();
    QTest::newRow("path") << QStringList{"--mqtt", "mqtt://broker/x"} << badUrl << QString();
    QTest::newRow("bad port") << QStringList{"--mqtt", "mqtt://broker:99999"} << badUrl
                              << QString();
    QTest::newRow("bare host") << QStringList{"--mqtt", "broker"} << badUrl << QString();

    QTest::newRow("ca without tls")
        << QStringList{"--mqtt", "mqtt://broker", "--mqtt-ca", "@ca.pem"}
        << "--mqtt-ca needs an mqtts:// broker URL" << QString();
    QTest::newRow("unreadable ca")
        << QStringList{"--mqtt", "mqtts://broker", "--mqtt-ca", "@missing.pem"} << "cannot read"
        << QString();
    QTest::newRow("unreadable password")
        << QStringList{"--mqtt", "mqtt://broker",        "--mqtt-user",
                       "u",      "--mqtt-password-file", "@missing"}
        << "cannot read" << QString();
    QTest::newRow("password without user")
        << QStringList{"--mqtt", "mqtt://broker", "--mqtt-password-file", "@password"}
        << "--mqtt-password-file needs --mqtt-user" << QString();
    QTest::newRow("wildcard topic")
        << QStringList{"--mqtt", "mqtt://broker", "--mqtt-topic", "fleet/+/x"} << "bad topic prefix"
        << QString();
    QTest::newRow("queue of none") << QStringList{"--mqtt", "mqtt://broker", "--mqtt-queue", "0"}
                                   << "bad --mqtt-queue" << QString();
    QTest::newRow("interval not a number")
        << QStringList{"--mqtt", "mqtt://broker", "--mqtt-stats-interval", "1m"}
        << "bad --mqtt-stats-interval" << QString();
    QTest::newRow("user without broker")
        << QStringList{"--mqtt-user", "u"} << "--mqtt-user needs --mqtt" << QString();
}

void TestMqttOptions::read()
{
    QFETCH(QStringList, options);
    QFETCH(QString, error);
    QFETCH(QString, settings);

    QTemporaryDir dir;
    QFile password(dir.filePath(QStringLiteral("password")));
    QVERIFY(password.open(QIODevice::WriteOnly));
    password.write("s3cret pass\r\nsecond line\n");
    password.close();
    QFile ca(dir.filePath(QStringLiteral("ca.pem")));
    QVERIFY(ca.open(QIODevice::WriteOnly));
    ca.close();
    for (QString &option : options) {
        if (option.startsWith(QLatin1Char('@'))) {
            option = dir.filePath(option.mid(1));
        }
    }

    QCommandLineParser parser;
    mqttoptions::addTo(parser);
    QVERIFY(parser.parse(QStringList{QStringLiteral("kvt318-scan")} + options));
    const mqttoptions::Result result =
        mqttoptions::read(parser, QStringLiteral("/dev/ttyUSB0"), QStringLiteral("scanhost"));

    QVERIFY2(error.isEmpty() ? result.error.isEmpty() : result.error.startsWith(error),
             qPrintable(result.error));
    QString summary;
    if (result.settings) {
        const MqttSettings &s = *result.settings;
        summary =
            QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                .arg(s.broker.host)
                .arg(s.broker.port)
                .arg(s.broker.tls ? "tls" : "plain",
                     s.user.isEmpty() ? QStringLiteral("-") : s.user,
                     s.password.isEmpty() ? QStringLiteral("-") : QString::fromUtf8(s.password),
                     s.topicPrefix)
                .arg(s.queueLimit)
                .arg(s.statsInterval.count());
    }
    QCOMPARE(summary, settings);
}

void TestMqttOptions::defaultTopicPrefix_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("usb adapter") << "site-7"
                                 << "/dev/ttyUSB0"
                                 << "kvt318/site-7/ttyUSB0";
    QTest::newRow("windows port") << "SITE7"
                                  << "COM3"
                                  << "kvt318/SITE7/COM3";
    QTest::newRow("wildcards in names") << "a+b"
                                        << "/tmp/sim#1"
                                        << "kvt318/a_b/sim_1";
    QTest::newRow("no host name") << ""
                                  << "/dev/ttyACM0"
                                  << "kvt318/_/ttyACM0";
}

void TestMqttOptions::defaultTopicPrefix()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(QString, prefix);

    QCOMPARE(mqttoptions::defaultTopicPrefix(host, port), prefix);
}

QTEST_MAIN(TestMqttOptions)
#include "tst_mqttoptions.moc"
