#pragma once

#include "engine/record/recordformat.h"
#include "engine/record/recordsink.h"

#include <QFile>

#include <memory>

// A recording file: opened for appending, so an earlier recording is never overwritten, with
// the format's header only at the top of a new or empty file: writeHeader() writes it when due,
// so that the open itself writes nothing. "-" is standard output. Every row
// goes to the system with one write(2) as it is written; sync() is fdatasync on a regular file.
// Errors read "FILE: reason", and a file removed while it is written is a failed write.
class RecordFile : public RecordSink
{
public:
    RecordFile(QString path, RecordFormat format, WriterSettings settings = {});
    ~RecordFile() override;
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    [[nodiscard]] bool open();
    [[nodiscard]] QString path() const { return m_path; }

    bool writeHeader() override;
    bool writeSweep(const SweepRecord &sweep) override;
    bool writeReading(const Reading &reading) override;
    bool writeEnd() override;
    [[nodiscard]] bool takesReadings() const override;
    bool sync() override;
    [[nodiscard]] QString errorString() const override;
    // "standard output" for "-", else the path.
    [[nodiscard]] QString displayName() const;

private:
    bool checked(bool written);
    [[nodiscard]] bool fileRemoved() const;

    QString m_path;
    RecordFormat m_format;
    WriterSettings m_settings;
    QFile m_file;
    std::unique_ptr<RecordSink> m_writer;
    bool m_headerDue = false;
    QString m_error;
};
