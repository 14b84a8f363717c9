#pragma once

#include <QString>
#include <QStringList>

#include <memory>

struct Baseline;
class ChannelStatistics;
class QSaveFile;
struct MonitorState;
struct ScanOptions;

// The files a run or a replay writes at its end: the summary, the hour-of-day map, the
// frequency-planning trace and the chart image. They are opened at the start, so that a path that
// cannot be written is known before an hour of recording, and each replaces its file only once it
// is complete.
class RunResults
{
public:
    explicit RunResults(const ScanOptions &options);
    ~RunResults();
    RunResults(const RunResults &) = delete;
    RunResults &operator=(const RunResults &) = delete;

    // "FILE: reason" of the first file that cannot be opened, or empty.
    [[nodiscard]] QString open();
    // Writes and commits every file asked for; "FILE: reason" of each one that failed.
    [[nodiscard]] QStringList write(const ChannelStatistics &statistics,
                                    const MonitorState &readings,
                                    const Baseline *baseline = nullptr);

private:
    const ScanOptions &m_options;
    std::unique_ptr<QSaveFile> m_summary;
    std::unique_ptr<QSaveFile> m_hourly;
    std::unique_ptr<QSaveFile> m_trace;
    std::unique_ptr<QSaveFile> m_png;
};
