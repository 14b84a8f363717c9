// The cost of handing a survey on: writing one sweep as rtl_power rows and as InfluxDB lines to
// a file (each line handed to the system as it is written), and kvt318-scan's /metrics scraped
// while it sweeps an Air Monitor module at 19200 baud: the time of one scrape, and the sweep rate
// without scrapes and under 1000 scrapes a second.
// Usage: exports-bench. Prints "name value" lines.
#include "engine/protocol/reading.h"
#include "engine/record/influxencoder.h"
#include "engine/record/rtlpowerencoder.h"
#include "engine/record/sweeprecord.h"
#include "simprocess.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWriterSweeps = 20000;
constexpr int kScrapes = 2000;
constexpr auto kRateWindow = std::chrono::seconds(10);
constexpr auto kScrapeEvery = std::chrono::milliseconds(1);
constexpr int kReplyWaitMs = 5000;

void print(const char *name, double value)
{
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

double micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double percentile99(std::vector<double> values)
{
    const auto at = values.begin() + values.size() * 99 / 100;
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

SweepRecord sweepAt(int n)
{
    SweepRecord sweep{1796628600000 + n * 400LL, n + 1, RadioMode::AirMonitor, {}};
    for (std::size_t i = 0; i < sweep.dbm.size(); ++i) {
        sweep.dbm[i] = static_cast<qint16>(-120 + (n + static_cast<int>(i)) % 70);
    }
    return sweep;
}

// Median cost of one sweep through a writer on a file.
template <typename Write> void writerCost(const char *name, Write write)
{
    std::vector<double> costs;
    costs.reserve(kWriterSweeps);
    for (int n = 0; n < kWriterSweeps; ++n) {
        const SweepRecord sweep = sweepAt(n);
        const auto start = Clock::now();
        write(sweep);
        costs.push_back(micros(Clock::now() - start));
    }
    print(name, median(costs));
}

// A keep-alive client of the endpoint: one GET, the whole answer read.
class Scraper
{
public:
    explicit Scraper(quint16 port)
        : m_port(port)
    {}

    std::optional<QByteArray> scrape()
    {
        if (m_socket.state() != QAbstractSocket::ConnectedState) {
            m_socket.abort();
            m_socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (!m_socket.waitForConnected()) {
                return std::nullopt;
            }
        }
        m_socket.write("GET /metrics HTTP/1.1\r\nHost: bench\r\n\r\n");
        QByteArray reply;
        static const QRegularExpression kLength(QStringLiteral("Content-Length: (\\d+)"),
                                                QRegularExpression::CaseInsensitiveOption);
        qsizetype end = -1;
        qsizetype length = -1;
        while (end < 0 || reply.size() < end + 4 + length) {
            if (!m_socket.waitForReadyRead(kReplyWaitMs)) {
                return std::nullopt;
            }
            reply += m_socket.readAll();
            end = reply.indexOf("\r\n\r\n");
            if (end >= 0) {
                const auto match = kLength.match(QString::fromLatin1(reply.left(end)));
                length = match.hasMatch() ? match.captured(1).toLongLong() : 0;
            }
        }
        return reply.mid(end + 4);
    }

private:
    quint16 m_port = 0;
    QTcpSocket m_socket;
};

double metric(const QByteArray &text, const char *name)
{
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith(QByteArray(name) + ' ')) {
            return line.mid(qstrlen(name) + 1).toDouble();
        }
    }
    return -1.0;
}

// Sweeps a second over a window, from the count and time of the last sweep at either end.
std::optional<double> sweepRate(Scraper &scraper, bool scraping)
{
    const auto first = scraper.scrape();
    if (!first) {
        return std::nullopt;
    }
    const auto start = Clock::now();
    const auto end = start + kRateWindow;
    auto next = start;
    qint64 scrapes = 0;
    while (Clock::now() < end) {
        if (scraping) {
            if (!scraper.scrape()) {
                return std::nullopt;
            }
            ++scrapes;
            next += kScrapeEvery;
            std::this_thread::sleep_until(next);
        } else {
            std::this_thread::sleep_until(end);
        }
    }
    const auto last = scraper.scrape();
    if (!last) {
        return std::nullopt;
    }
    if (scraping) {
        print("scrapes_per_s", static_cast<double>(scrapes) /
                                   std::chrono::duration<double>(Clock::now() - start).count());
    }
    const double sweeps =
        metric(*last, "kvt318_sweeps_total") - metric(*first, "kvt318_sweeps_total");
    const double seconds = metric(*last, "kvt318_last_sweep_timestamp_seconds") -
                           metric(*first, "kvt318_last_sweep_timestamp_seconds");
    return seconds > 0 ? std::optional<double>(sweeps / seconds) : std::nullopt;
}

void scrapeDuringSweep()
{
    SimProcess sim;
    if (!sim.start({"--baud", "19200", "--mode", "04"})) {
        std::fprintf(stderr, "exports-bench: the simulator did not start\n");
        return;
    }
    quint16 port = 0;
    {
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost)) {
            port = probe.serverPort();
        }
    }
    QProcess scan;
    const QString program = qEnvironmentVariableIsEmpty("KVT318_SCAN")
                                ? QStringLiteral(KVT318_SCAN_PATH)
                                : qEnvironmentVariable("KVT318_SCAN");
    scan.start(program,
               {"-q", "-o", "/dev/null", "--metrics", QString::number(port), sim.devicePath()});
    Scraper scraper(port);
    // Sweeping, with a few sweeps done.
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    std::optional<QByteArray> text;
    while (Clock::now() < deadline &&
           (!(text = scraper.scrape()) || metric(*text, "kvt318_sweeps_total") < 3)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::vector<double> costs;
    for (int n = 0; n < kScrapes; ++n) {
        const auto start = Clock::now();
        if (!scraper.scrape()) {
            std::fprintf(stderr, "exports-bench: a scrape failed\n");
            return;
        }
        costs.push_back(micros(Clock::now() - start) / 1000.0);
    }
    print("scrape_ms_median", median(costs));
    print("scrape_ms_p99", percentile99(costs));
    const auto plain = sweepRate(scraper, false);
    const auto scraped = sweepRate(scraper, true);
    if (plain && scraped) {
        print("sweep_rate_plain", *plain);
        print("sweep_rate_scraped", *scraped);
        print("sweep_rate_change_pct", 100.0 * (*scraped - *plain) / *plain);
    }
    scan.terminate();
    scan.waitForFinished();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("KVT318_SIM")) {
        qputenv("KVT318_SIM", KVT318_SIM_PATH);
    }
    QTemporaryDir dir;
    QFile rtlFile(dir.filePath(QStringLiteral("rtl_power.csv")));
    QFile influxFile(dir.filePath(QStringLiteral("survey.lp")));
    // Unbuffered: each row one write(2), as the recording file writes it.
    constexpr auto kMode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (!rtlFile.open(kMode) || !influxFile.open(kMode)) {
        std::fprintf(stderr, "exports-bench: %s\n", qPrintable(dir.path()));
        return 1;
    }
    // One row a sweep, as --integrate cannot go below a second: the dearest case.
    RtlPowerEncoder rtlPower;
    int sweeps = 0;
    writerCost("rtl_power_us_per_sweep", [&](const SweepRecord &sweep) {
        SweepRecord spaced = sweep;
        spaced.utcMs = 1796628600000 + 1000LL * sweeps++;
        rtlFile.write(rtlPower.sweep(spaced));
    });
    InfluxEncoder influx(QStringLiteral("ttyUSB0"),
                         {{QStringLiteral("site"), QStringLiteral("north")}});
    writerCost("influx_us_per_sweep", [&](const SweepRecord &sweep) {
        for (int i = 0; i < static_cast<int>(sweep.dbm.size()); ++i) {
            influxFile.write(influx.reading(
                Reading{i, sweep.dbm[static_cast<std::size_t>(i)], sweep.utcMs + i, sweep.mode}));
        }
    });
    scrapeDuringSweep();
    return 0;
}
