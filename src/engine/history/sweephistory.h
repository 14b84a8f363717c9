#pragma once

#include "engine/history/sweeprows.h"
#include "engine/protocol/monitorstate.h"
#include "engine/record/sweeprecord.h"

#include <QObject>
#include <QtGlobal>

#include <array>
#include <vector>

// The sweeps of the last hours, newest first, in a ring of fixed capacity: when it is full the
// oldest row leaves as a new one arrives, so memory stays bounded however long the program runs.
class SweepHistory : public QObject, public SweepRows
{
    Q_OBJECT

public:
    // Four hours of the fastest real sweep (Air Monitor at 19200 baud, under three sweeps a
    // second): 43,200 rows of 96 bytes, about 4.0 MiB at most.
    static constexpr int kFourHourRows = 4 * 3600 * 3;

    explicit SweepHistory(int capacity = kFourHourRows, QObject *parent = nullptr);

    void append(const SweepRecord &sweep);
    // A separator row before the next sweep; one is enough however often a run starts empty.
    void markRunStart(qint64 utcMs);
    void clear();

    [[nodiscard]] int size() const { return m_size; }
    [[nodiscard]] int capacity() const { return m_capacity; }
    // age 0 is the newest row, size() - 1 the oldest.
    [[nodiscard]] const HistoryRow &at(int age) const;
    [[nodiscard]] int rowCount() const override { return m_size; }
    [[nodiscard]] HistoryRow row(int age) const override { return at(age); }
    // Sweeps per second over the last few seconds of rows, 0 when there are too few.
    [[nodiscard]] double sweepsPerSecond(qint64 nowUtcMs) const;

Q_SIGNALS:
    void rowAdded(const HistoryRow &row);
    // The oldest row, just before a new one takes its place.
    void rowDropped(const HistoryRow &row);
    void cleared();

private:
    void push(const HistoryRow &row);

    int m_capacity = 0;
    std::vector<HistoryRow> m_rows;
    int m_next = 0; // where the next row goes
    int m_size = 0;
};
