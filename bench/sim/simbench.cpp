// Measures how many command/reply exchanges a second kvt318-sim serves with --baud 0 to a
// client that sends one command and waits for its reply, as the monitor does. Beside it: the
// same client against a bare responder on a pseudo-terminal (what the machine's terminal
// round trip allows at the moment), and the simulator's own CPU time per exchange (what the
// simulator could serve if the round trip cost nothing).
//
// Usage: bench_sim [SECONDS] [SIMULATOR]   (simulator also from KVT318_SIM)

#include "module-sim/pseudoterminal.h"
#include "module-sim/terminalclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr double kDefaultSeconds = 2.0;
constexpr double kTargetPerSecond = 20'000.0;
constexpr int kProcessTimeoutMs = 5000;
constexpr auto kReplyTimeout = std::chrono::seconds(2);
constexpr int kChannels = 40;
constexpr int kFirstChannel = 7;
constexpr int kResponderPollMs = 50;
constexpr double kMicrosPerSecond = 1e6;
constexpr double kNanosPerSecond = 1e9;

struct Result
{
    long long exchanges = 0;
    double seconds = 0.0;
    bool ok = false;
    // Simulator CPU time (user + system); none when not measured.
    std::optional<double> cpuSeconds;

    double rate() const { return seconds > 0.0 ? double(exchanges) / seconds : 0.0; }
};

std::string channelField(int index)
{
    char field[3] = {};
    std::snprintf(field, sizeof field, "%02X", static_cast<unsigned>(kFirstChannel + index));
    return field;
}

// One exchange: sends `command`, checks that the reply starts with `tag`.
bool exchange(kvtsim::TerminalClient &client, const std::string &command, const char *tag)
{
    if (!client.send(command)) {
        return false;
    }
    const std::optional<std::string> reply = client.readLine(kReplyTimeout);
    return reply && reply->rfind(tag, 0) == 0;
}

// Runs exchanges for `seconds`; `step` does exchange number n and says whether it succeeded.
Result measure(double seconds, const std::function<bool(long long)> &step)
{
    Result result;
    QElapsedTimer timer;
    timer.start();
    const auto limit = static_cast<qint64>(seconds * kNanosPerSecond);
    result.ok = true;
    while (timer.nsecsElapsed() < limit) {
        if (!step(result.exchanges)) {
            result.ok = false;
            break;
        }
        ++result.exchanges;
    }
    result.seconds = double(timer.nsecsElapsed()) / kNanosPerSecond;
    return result;
}

double childrenCpuSeconds()
{
    rusage usage = {};
    if (::getrusage(RUSAGE_CHILDREN, &usage) != 0) {
        return 0.0;
    }
    const auto seconds = [](const timeval &t) {
        return double(t.tv_sec) + double(t.tv_usec) / kMicrosPerSecond;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class SimulatorProcess
{
public:
    SimulatorProcess(const QString &program, const QStringList &args)
    {
        m_process.start(program, args);
        QElapsedTimer timer;
        timer.start();
        while (!m_process.canReadLine() && timer.elapsed() < kProcessTimeoutMs &&
               m_process.waitForReadyRead(kProcessTimeoutMs - int(timer.elapsed()))) {
        }
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed().toStdString();
    }

    ~SimulatorProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(kProcessTimeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(kProcessTimeoutMs);
        }
    }
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    const std::string &path() const { return m_path; }

private:
    QProcess m_process;
    std::string m_path;
};

// A sweep against the simulator, FSK/LoRa style (@CH, then @RA) or Air Monitor style (@AM).
Result runSimulator(const QString &program, const QStringList &args, double seconds,
                    bool airMonitor)
{
    const double cpuBefore = childrenCpuSeconds();
    Result result;
    {
        const SimulatorProcess simulator(program, args);
        kvtsim::TerminalClient client(simulator.path());
        if (!client.isOpen()) {
            std::fprintf(stderr, "bench_sim: %s\n", client.error().c_str());
            return result;
        }
        result = measure(seconds, [&client, airMonitor](long long n) {
            const std::string field = channelField(int((n / 2) % kChannels));
            if (airMonitor) {
                return exchange(client, "@AM" + field + "08\r\n", "*RS=");
            }
            return n % 2 == 0 ? exchange(client, "@CH" + field + "\r\n", "*CH=")
                              : exchange(client, "@RA\r\n", "*RA=");
        });
    }
    // The simulator has been waited for, so its CPU time is in the children's account now.
    result.cpuSeconds = childrenCpuSeconds() - cpuBefore;
    return result;
}

// The same client against a thread that answers every line at once.
Result runBareResponder(double seconds)
{
    kvtsim::PseudoTerminal terminal;
    std::atomic<bool> stop{false};
    std::thread responder([&terminal, &stop] {
        const std::string reply = "*RA=-085dBm\r\n";
        char buffer[256];
        while (!stop.load()) {
            pollfd entry = {terminal.masterFd(), POLLIN, 0};
            if (::poll(&entry, 1, kResponderPollMs) <= 0) {
                continue;
            }
            const ssize_t count = ::read(terminal.masterFd(), buffer, sizeof buffer);
            for (ssize_t i = 0; i < count; ++i) {
                if (buffer[i] == '\n' &&
                    ::write(terminal.masterFd(), reply.data(), reply.size()) < 0) {
                    return;
                }
            }
        }
    });
    Result result;
    {
        kvtsim::TerminalClient client(terminal.slavePath());
        if (client.isOpen()) {
            result = measure(seconds,
                             [&client](long long) { return exchange(client, "@RA\r\n", "*RA="); });
        }
    }
    stop.store(true);
    responder.join();
    return result;
}

void print(const char *name, const Result &result)
{
    if (!result.ok) {
        std::printf("  %-22s failed: missing or wrong reply\n", name);
        return;
    }
    std::printf("  %-22s %9.0f", name, result.rate());
    if (result.cpuSeconds && result.exchanges > 0) {
        const double cpuMicros = *result.cpuSeconds * kMicrosPerSecond / double(result.exchanges);
        std::printf("  %9.1f us  %9.0f/s", cpuMicros,
                    cpuMicros > 0.0 ? kMicrosPerSecond / cpuMicros : 0.0);
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    const QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool ok = true;
    const double seconds = args.size() > 1 ? args[1].toDouble(&ok) : kDefaultSeconds;
    if (!ok || seconds <= 0.0) {
        std::fprintf(stderr, "usage: bench_sim [SECONDS] [SIMULATOR]\n");
        return 2;
    }
    const QString program =
        args.size() > 2 ? args[2]
                        : qEnvironmentVariable("KVT318_SIM", QStringLiteral(KVT318_SIM_PATH));
    const QTemporaryDir dir;
    const QStringList base = {"--baud", "0", "--seed", "1", "--carrier", "20:-70"};

    std::printf("kvt318-sim, --baud 0, one command at a time, %.1f s each\n", seconds);
    std::printf("  %-22s %9s  %12s  %11s\n", "", "exch./s", "sim CPU/exch", "CPU-bound");
    print("bare pty responder", runBareResponder(seconds));
    const Result sweep = runSimulator(program, base, seconds, false);
    print("@CH/@RA sweep", sweep);
    const Result air = runSimulator(program, base + QStringList{"--mode", "04"}, seconds, true);
    print("@AM sweep", air);
    print("@CH/@RA sweep, --log",
          runSimulator(program, base + QStringList{"--log", dir.filePath("bench.log")}, seconds,
                       false));
    std::printf("target: %.0f exchanges/s; %s\n", kTargetPerSecond,
                sweep.rate() >= kTargetPerSecond ? "met"
                                                 : "not met at this moment (compare the bare "
                                                   "responder: the terminal round trip limits)");
    return sweep.ok && air.ok ? 0 : 1;
}
