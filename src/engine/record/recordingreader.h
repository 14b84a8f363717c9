#pragma once

#include "engine/record/recording.h"

#include <QString>

#include <functional>
#include <optional>

class QIODevice;

// What reading a recording gave: its sweeps, or why there are none.
struct RecordingRead
{
    enum class Status { Read, OpenFailed, NotRecording, Cancelled };

    Status status = Status::Read;
    // OpenFailed and NotRecording: one line naming the file.
    QString error;
    Recording recording;
    qint64 skippedLines = 0;
    // The first skipped line: "FILE: line 12: 41 fields instead of 42".
    QString firstProblem;
};

// Reads back a file that kvt318-scan or the monitor's recording wrote, in any of the three
// formats, recognised from the content, plain or gzip-compressed. Damaged lines are skipped and
// counted, never fatal; a line longer than any writer's is not held in memory.
class RecordingReader
{
public:
    // Called now and then with the file bytes read and the file's size; false cancels.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    static constexpr qsizetype kLongestLine = 4096;

    static RecordingRead readFile(const QString &path, const Progress &progress = {});
    // name stands for the device in the texts.
    static RecordingRead read(QIODevice &device, const QString &name,
                              const Progress &progress = {});
};
