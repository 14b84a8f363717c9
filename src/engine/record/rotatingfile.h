#pragma once

#include "engine/record/recordfile.h"
#include "engine/record/spaceguard.h"

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

// How the recording file of a long run is kept.
struct FileRules
{
    // A new file at each UTC multiple of this since midnight (since 1970 when over a day).
    std::optional<std::chrono::milliseconds> rotate;
    // After a rotation only the newest this many rotated files of the output stay.
    std::optional<int> keep;
    // Below this much free space on the file's file system rows are dropped; 0: no floor.
    qint64 minFreeBytes = 0;
};

namespace rotation {

// The UTC start of the period that holds utcMs.
qint64 periodStart(qint64 utcMs, std::chrono::milliseconds period);
// path with the period's UTC start before its extension: survey-20261207.csv for whole days,
// survey-20261207T1400.csv for whole minutes, survey-20261207T140510.csv otherwise.
QString fileName(const QString &path, qint64 startMs, std::chrono::milliseconds period);
// Whether a file name in path's folder is one fileName() makes for periods of this length.
bool isRotatedName(const QString &path, const QString &name, std::chrono::milliseconds period);

} // namespace rotation

// The recording file of a long run. Each row goes to the file of its own time's period, so that
// a row is in exactly one file; a file is ended (the format's end, synced) before the next
// opens with its header. reopen() does the same at the same name, for a file moved away. Below
// the free-space floor rows are dropped and counted, and no new file is opened. Without rules it
// is a plain RecordFile.
class RotatingFile : public RecordSink
{
public:
    RotatingFile(QString path, RecordFormat format, WriterSettings settings, FileRules rules);
    ~RotatingFile() override;
    RotatingFile(const RotatingFile &) = delete;
    RotatingFile &operator=(const RotatingFile &) = delete;

    // Opens the file of the present period, unless its file system is below the floor; writes
    // nothing.
    // With rotation, the file of firstUtcMs's period, or of the present one.
    [[nodiscard]] bool open(std::optional<qint64> firstUtcMs = std::nullopt);
    // "standard output" for "-", else the path given.
    [[nodiscard]] QString displayName() const;

    bool writeHeader() override;
    bool writeSweep(const SweepRecord &sweep) override;
    bool writeReading(const Reading &reading) override;
    [[nodiscard]] bool takesReadings() const override;
    bool sync() override;
    bool writeEnd() override;
    bool reopen() override;
    std::vector<FileNotice> takeNotices() override;
    [[nodiscard]] qint64 droppedRows() const override { return m_guard.droppedRows(); }
    [[nodiscard]] QString errorString() const override { return m_error; }

private:
    template <typename Row> bool write(qint64 utcMs, const Row &row);
    bool checked(bool done);
    [[nodiscard]] QString currentPath() const;
    bool openFile();
    bool closeFile();
    void deleteOldFiles();

    QString m_path;
    RecordFormat m_format;
    WriterSettings m_settings;
    FileRules m_rules;
    SpaceGuard m_guard;
    std::unique_ptr<RecordFile> m_file;
    qint64 m_period = 0;
    std::vector<FileNotice> m_notices;
    QString m_error;
};
