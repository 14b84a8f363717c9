#pragma once

#include "engine/record/fileclaim.h"
#include "engine/record/filerules.h"
#include "engine/record/recordformat.h"
#include "engine/record/spaceguard.h"

#include <QFile>

#include <memory>
#include <optional>
#include <vector>

class RecordEncoder;
struct Reading;
struct SweepRecord;

// A recording's file in one format. open() opens it for appending, so that an earlier recording
// is never overwritten, with the format's header at the top of a new or empty file, and always on
// standard output ("-"). Each row goes to the system with one write(2) as it is written; sync()
// is fdatasync on a regular file. With rules, each row goes to the file of its own time's
// period, so that a row is in exactly one file: a file is ended (the format's end, synced) before
// the next opens with its header, and reopen() does the same at the same name, for a file moved
// away. Below the free-space floor rows are dropped and counted, and no new file opens. One file,
// one writer: open() first waits until every earlier output of this program to the same file is
// destroyed. Errors read "FILE: reason"; a file removed while it is written is a failed write.
class OutputFile
{
public:
    OutputFile(QString path, RecordFormat format, WriterSettings settings = {},
               FileRules rules = {});
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Why the file at path cannot be opened for appending ("FILE: reason"), or nothing. Nothing
    // is written.
    static QString openError(const QString &path);

    // Whether open() would not wait for an earlier output to the same file.
    [[nodiscard]] bool mayOpenNow() const { return m_claim.isServed(); }
    // The rows to come start at utcMs (a recording's first), not now: with rules, the first file
    // is that of its period.
    void startAt(qint64 utcMs) { m_startUtcMs = utcMs; }
    // Opens the file of the present period, or of startAt()'s, with its header, unless its file
    // system is below the floor (then the first row that finds room opens it).
    [[nodiscard]] bool open();
    // What open() does but the header, so that a file that cannot be opened is known at once on
    // a thread that must not wait for the disk; the open() that follows, on the thread that
    // writes, adds the header.
    [[nodiscard]] bool openAhead();
    // Between an open() that succeeded and close().
    [[nodiscard]] bool isOpen() const { return m_open; }
    // A record of the kind the format does not take is no row.
    bool write(const SweepRecord &sweep);
    bool write(const Reading &reading);
    bool sync();
    // Ends the file as close() does and opens it again at its name.
    bool reopen();
    // What the format still holds, then the file synced and closed.
    bool close();

    // Pauses and resumptions for want of room, and old files that could not be deleted, since
    // the last call.
    std::vector<FileNotice> takeNotices();
    // Rows not written for want of room, so far.
    [[nodiscard]] qint64 droppedRows() const { return m_guard.droppedRows(); }
    [[nodiscard]] bool takesReadings() const { return m_format.takesReadings; }
    // "standard output" for "-", else the path given.
    [[nodiscard]] QString displayName() const;
    [[nodiscard]] QString errorString() const { return m_error; }

private:
    template <typename Record> bool writeRecord(qint64 utcMs, const Record &record);
    [[nodiscard]] QString currentPath() const;
    void startPeriod();
    bool openFile();
    bool openDescriptor();
    bool writeDueHeader();
    bool closeFile();
    bool writeBytes(const QByteArray &bytes);
    bool syncFile();
    bool fail(const QString &reason);
    [[nodiscard]] bool fileRemoved() const;
    void deleteOldFiles();

    QString m_path;
    const RecordFormatEntry &m_format;
    WriterSettings m_settings;
    FileRules m_rules;
    SpaceGuard m_guard;
    FileClaim m_claim;
    QFile m_file;
    // One for each file opened, so that each starts as a new recording does; none while no file
    // is open.
    std::unique_ptr<RecordEncoder> m_encoder;
    std::optional<qint64> m_startUtcMs;
    qint64 m_period = 0;
    bool m_open = false;
    // openAhead() has done all but the header.
    bool m_openedAhead = false;
    bool m_headerDue = false;
    std::vector<FileNotice> m_notices;
    QString m_error;
};
