#pragma once

#include "core/channelplan.h"
#include "engine/protocol/monitorstate.h"
#include "engine/protocol/radiomodes.h"
#include "engine/protocol/reading.h"
#include "engine/protocol/stopreason.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <chrono>
#include <memory>
#include <optional>

class QTimer;
class SerialLink;

// How a run measures.
struct SweepOptions
{
    // The Air Monitor sample count, sent exactly as the user typed it.
    QString sampleCount = QStringLiteral("08");
    // Measure the cursor channel alone while there is one; setCursorOnly() changes it later.
    bool cursorOnly = false;
    // A sweep with no reading for this long has stalled and stops; without it a silent module
    // is waited for as long as the run lasts.
    std::optional<std::chrono::milliseconds> stallTimeout;
    // A module in a mode the sweep does not know ends the run; without it the port stays open,
    // measuring nothing, until a stop.
    bool stopOnUnknownMode = false;
};

// The sweep, from opening the port to closing it: asks the module what it is and in which
// mode it works, then measures channel after channel, keeping each channel's latest and
// highest reading. It owns the serial link and its state, and says what happens through its
// signals; it knows no window.
class SweepEngine : public QObject
{
    Q_OBJECT

public:
    enum class State { Idle, Connecting, Sweeping };

    // The module gets one connect step to answer each question.
    static constexpr std::chrono::milliseconds kConnectStepInterval{100};
    // The module needs this long after its channel-set reply before it can be asked for RSSI.
    static constexpr std::chrono::milliseconds kRssiReadPause{20};
    // A device flooding the line must not grow the receive buffer without end; a well-formed
    // exchange never comes near this.
    static constexpr qsizetype kRxBufLimit = 4096;

    explicit SweepEngine(std::unique_ptr<SerialLink> link, QObject *parent = nullptr);
    ~SweepEngine() override;
    SweepEngine(const SweepEngine &) = delete;
    SweepEngine &operator=(const SweepEngine &) = delete;

    // Opens the port (a name as the user types it: COM3, /dev/ttyUSB0) and starts connecting;
    // nothing while a run is on. The modes are cleared first. A port that cannot be opened is
    // reported through stopped() before this returns.
    void start(const QString &portName, const SweepOptions &options);
    // No reply is read from now on and no further channel is asked for; the port closes at
    // the next completeStopRequest().
    void requestStop();
    // Ends the run if a stop was requested.
    void completeStopRequest();
    // Ends the run at once.
    void stop();

    // Turns a mode on or off by hand, during a run too: it decides how the next reply is read.
    void setMode(RadioMode mode, bool on);
    // The cursor channel index, or none.
    void setCursorChannel(std::optional<int> index);
    // A change takes effect one reading late: the command in flight was chosen before it.
    void setCursorOnly(bool on);
    // Every channel's held maximum becomes its latest reading.
    void resetMaxHold();

    [[nodiscard]] State state() const { return m_state; }
    [[nodiscard]] RadioModes modes() const { return m_modes; }
    [[nodiscard]] const MonitorState &monitorState() const { return m_readings; }
    // The receive buffer as the latest receive event left it, as received() last said it.
    [[nodiscard]] const QString &receivedText() const
    {
        return m_rxSinceEmptied ? m_rxBuf : m_rxBeforeEmptied;
    }

Q_SIGNALS:
    // The port is open and a new run begins connecting; its readings follow.
    void runStarted();
    // The module answered and the sweep begins in these modes (none when it reported none
    // that the sweep knows), with the module's answer to "@FV".
    void started(RadioModes modes, const QString &identification);
    // Every reading the sweep stores, as it is stored.
    void readingStored(const Reading &reading);
    // A command line, without its terminator, just before it is written.
    void commandSent(const QString &command);
    // Everything received and not yet used up, at most kRxBufLimit characters, one a byte.
    void received(const QString &text);
    void modesChanged(RadioModes modes);
    // The port is closed; emitted once a run, and for a start that could not open the port.
    void stopped(const StopReason &reason);

private:
    enum class SweepKind { FskLoRa, AirMonitor };
    // A command as Send shows it and as it goes on the wire.
    struct Command
    {
        QString text;
        QByteArray line;
    };
    using ChannelCommands = std::array<Command, channelplan::kChannelCount>;
    static Command makeCommand(const QString &text);

    void onConnectStep();
    void onBytesReceived();
    void onPortFailed();
    void onStalled();

    void checkModel();
    void readMode();
    void beginSweep();
    // False when the run ended while reading.
    bool readFskLoRa();
    void readAirMonitor();
    // Stores a reading for the channel measured and asks for the next one.
    void storeReading(qint16 value, SweepKind kind);
    // Empties the receive buffer, so that it collects only the answer, then writes the
    // command. False when the run is over, the write having failed or not.
    bool send(const Command &command);
    void emptyRxBuf();
    void appendReceived(const char *bytes, qint64 count);
    [[nodiscard]] const Command &nextCommand(SweepKind kind) const;
    void setModes(RadioModes modes);
    // Lets the link wait for as many bytes as a reply still needs before it reports them.
    void updateReadThreshold();
    // Every reading moves the stall deadline; the timer itself is restarted only when it
    // fires early, not for each reading.
    void armStallTimer();
    void finish(const StopReason &reason);

    std::unique_ptr<SerialLink> m_link;
    QTimer *m_connectTimer = nullptr;
    QTimer *m_stallTimer = nullptr;
    SweepOptions m_options;
    State m_state = State::Idle;
    RadioModes m_modes;
    MonitorState m_readings;
    bool m_cursorOnly = false;
    bool m_stopRequested = false;
    int m_connectStep = 0;
    // The commands of a sweep, made once a run: a reading costs no allocation.
    ChannelCommands m_airCommands;
    ChannelCommands m_channelCommands;
    Command m_readRssi;
    std::chrono::steady_clock::time_point m_lastReadingAt;
    QString m_rxBuf;
    // What the receive buffer held when it was last emptied, with bytes in it.
    QString m_rxBeforeEmptied;
    bool m_rxSinceEmptied = false;
    QString m_identification;
    QString m_modeReply;
};
