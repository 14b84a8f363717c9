#pragma once

#include "engine/alarm/alarmengine.h"
#include "engine/record/spaceguard.h"
#include "programs/scan/alarmoptions.h"

#include <QObject>

#include <array>
#include <memory>

class AlarmCommands;
class AlarmLog;
class MqttPublisher;

// kvt318-scan's alarms: watches complete sweeps (or, for a single channel, its readings)
// against the rules, and takes every event to the log, standard error, the --on-alarm command
// and the broker. A replay hands it its rows; a live run's recorder signals them.
class ScanAlarms : public QObject
{
    Q_OBJECT

public:
    ScanAlarms(const AlarmSettings &settings, bool quiet, QObject *parent = nullptr);
    ~ScanAlarms() override;

    // Opens the log; false with errorString() when it cannot be written.
    [[nodiscard]] bool open();
    // Closes the log and opens it again at its name (after it was moved away); false with
    // errorString() when it cannot be opened.
    [[nodiscard]] bool reopen();
    // With a single channel each reading counts; otherwise only complete sweeps do.
    void setReadings(bool readings) { m_readings = readings; }

    void addSweep(const SweepRecord &sweep) { writeSweep(sweep); }
    void addReading(const Reading &reading) { writeReading(reading); }

    bool writeSweep(const SweepRecord &sweep);
    bool writeReading(const Reading &reading);
    [[nodiscard]] QString errorString() const { return m_error; }

    // The run stopped or lost its port: raised alarms end with this reason. False when the log
    // could not take it.
    bool end(const QString &reason);
    // Every event to the broker too, and the alarms raised now, starting with none.
    void publishTo(MqttPublisher *publisher);
    // Lets the commands still running finish (or kills them) and reports what they skipped.
    void finish();

    [[nodiscard]] const AlarmEngine &engine() const { return m_engine; }
    // Events so far, by kind (raised, cleared, ended).
    [[nodiscard]] const std::array<qint64, 3> &eventCounts() const { return m_eventCounts; }

Q_SIGNALS:
    void happened(const AlarmEvent &event);
    // A line for standard error.
    void said(const QString &line);
    // The log could not be written: "FILE: reason".
    void failed(const QString &reason);
    // The log paused for want of room, or resumed.
    void noticed(const FileNotice &notice);

private:
    bool take(const std::vector<AlarmEvent> &events);

    AlarmEngine m_engine;
    std::unique_ptr<AlarmLog> m_log;
    AlarmCommands *m_commands = nullptr;
    MqttPublisher *m_publisher = nullptr;
    bool m_quiet = false;
    bool m_readings = false;
    std::array<qint64, 3> m_eventCounts{};
    QString m_error;
};
