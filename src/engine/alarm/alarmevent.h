#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// What happened to one alarm (one channel of one rule), at the time of the reading that
// decided it.
struct AlarmEvent
{
    enum class Kind { Raised, Cleared, Ended };

    Kind kind = Kind::Raised;
    qint64 utcMs = 0;
    // Channel index, 0 being channel 7.
    int index = 0;
    qint16 dbm = 0;
    // How long the alarm was raised; nothing for a raise.
    std::optional<qint64> durationMs;
    qint16 peakDbm = 0;
    QString rule;
    // Why a run ended with the alarm still raised.
    QString reason;
};

namespace alarms {

QString kindName(AlarmEvent::Kind kind);

// {"time":"…Z","event":"raised","channel":30,"mhz":429.5375,"dbm":-72,"duration_s":null,
// "peak_dbm":-72,"rule":"…"}, an ended event with its "reason" last; no line end. A
// record::receiverField() names the receiver after the time.
QByteArray eventJson(const AlarmEvent &event, const QByteArray &receiverField = {});

// The alarm log's header and one row of it, each with its line end.
QByteArray csvHeader();
QByteArray csvRow(const AlarmEvent &event);

// One line for a person: "2026-12-07T02:00:00.000Z channel 30 (429.5375 MHz) raised at -72 dBm
// (ch=30,above=-90)".
QString eventLine(const AlarmEvent &event);

} // namespace alarms
